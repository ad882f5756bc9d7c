# cmake --install: the tools, the libraries they and other hosts load, and the headers and
# package descriptions (pkg-config, CMake) a host builds against, in the GNU folders.
# Everything is found relative to where it is installed, so an installation can be moved:
# the tools reach the libraries through $ORIGIN, the libraries each other beside themselves,
# and the package descriptions the headers and libraries from their own folder.
include(CMakePackageConfigHelpers)

set(_tq_libraries tq_platform)
foreach(_lib tqcstm tqfltr2)
    if(TARGET ${_lib})
        list(APPEND _tq_libraries ${_lib})
    endif()
endforeach()
set(_tq_tools tqreg)
foreach(_tool tqctl tqcustomize)
    if(TARGET ${_tool})
        list(APPEND _tq_tools ${_tool})
    endif()
endforeach()

# The component module loads the topic-filter library from its own folder, and both use the
# platform library beside them.
set_target_properties(${_tq_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(${_tq_tools} PROPERTIES INSTALL_RPATH "$ORIGIN/${TQ_INSTALLED_LIBRARY_DIR}")
install(TARGETS ${_tq_tools} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${_tq_libraries} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

# What a host includes: the automation object's identifiers and the answers of its Status, the
# database types its members take, the module's exports with the error codes they return, and
# the platform's automation types and object creation (in the platform library) that a host
# calls the object through. They keep their folders, so that their includes of each other
# resolve below include/tqcstm. scripts/check_layers.py holds the hosts of tools/ to this list.
set(_tq_public_headers
    frame/CtrlFileMgrIds.h controlfile/DBTypes.h frame/Exports.h resources/ErrorCodes.h
    platform/ComTypes.h platform/Bstr.h platform/Variant.h platform/Unknown.h platform/ComHost.h)
foreach(_header ${_tq_public_headers})
    get_filename_component(_folder ${_header} DIRECTORY)
    install(FILES ${CMAKE_SOURCE_DIR}/src/${_header}
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tqcstm/${_folder})
endforeach()

# pkg-config: the prefix is found from the .pc file's own folder.
file(RELATIVE_PATH TQ_PC_PREFIX_FROM_PCDIR ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" TQ_PC_PREFIX_FROM_PCDIR "${TQ_PC_PREFIX_FROM_PCDIR}")
file(RELATIVE_PATH TQ_PC_INCLUDEDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_INCLUDEDIR})
file(RELATIVE_PATH TQ_PC_LIBDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_LIBDIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/tqcstm.pc.in ${CMAKE_BINARY_DIR}/tqcstm.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/tqcstm.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# CMake: find_package(tqcstm) gives the imported target tqcstm::tqcstm.
set(TQ_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tqcstm)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/tqcstm-config.cmake.in
    ${CMAKE_BINARY_DIR}/tqcstm-config.cmake INSTALL_DESTINATION ${TQ_CMAKE_PACKAGE_DIR}
    PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/tqcstm-config-version.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/tqcstm-config.cmake
              ${CMAKE_BINARY_DIR}/tqcstm-config-version.cmake
        DESTINATION ${TQ_CMAKE_PACKAGE_DIR})
