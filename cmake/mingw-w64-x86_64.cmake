# Windows x86_64 with MinGW-w64: the target this machine runs, under Wine, as the test
# programs' emulator (wine64 itself, not the wrapper that looks for the 32-bit loader).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TQ_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
