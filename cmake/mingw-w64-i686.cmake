# Windows i686 with MinGW-w64: the 32-bit module the product loads. This machine's kernel runs no
# 32-bit code, so it is built and inspected, never run (there is no emulator).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TQ_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
