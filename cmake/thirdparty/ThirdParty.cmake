# The readers of the topic-filter library for Windows: chmlib, libxml2 and poppler (with
# freetype, and our iconv for its C++ interface), built from Debian's source packages by
# build.sh while configuring, once per build tree (thirdparty/ in it keeps them), static, so that
# TQFLTR2.dll needs only the system's DLLs. Each becomes the target tq_reader_<kind> the
# library's checks link. Without TQ_PDF_READER poppler is not built, and the PDF check answers
# "cannot check".
option(TQ_PDF_READER "Build poppler for the topic filter's PDF check on Windows" ON)
set(_tp ${CMAKE_BINARY_DIR}/thirdparty)
set(_libs chmlib libxml2)
if(TQ_PDF_READER)
    list(APPEND _libs freetype iconv poppler)
endif()
execute_process(COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/build.sh ${_tp} ${CMAKE_TOOLCHAIN_FILE} ${_libs}
                RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "The topic filter's readers could not be built for Windows "
                        "(cmake/thirdparty/build.sh)")
endif()

set(_lib ${_tp}/install/lib)
add_library(tq_reader_chm INTERFACE)
target_include_directories(tq_reader_chm SYSTEM INTERFACE ${_tp}/install/include)
target_link_libraries(tq_reader_chm INTERFACE ${_lib}/libchm.a)
add_library(tq_reader_html INTERFACE)
target_include_directories(tq_reader_html SYSTEM INTERFACE ${_tp}/install/include/libxml2)
target_compile_definitions(tq_reader_html INTERFACE LIBXML_STATIC)
target_link_libraries(tq_reader_html INTERFACE ${_lib}/libxml2.a ws2_32)
if(TQ_PDF_READER)
    add_library(tq_reader_pdf INTERFACE)
    target_include_directories(tq_reader_pdf SYSTEM INTERFACE ${_tp}/install/include/poppler/cpp)
    target_link_libraries(tq_reader_pdf INTERFACE ${_lib}/libpoppler-cpp.a ${_lib}/libpoppler.a
                          ${_lib}/libfreetype.a ${_lib}/libiconv.a)
endif()
