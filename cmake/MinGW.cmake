# What the two MinGW-w64 toolchain files share: Debian's cross compilers with POSIX threads
# (GCC 12, C++20 without <format>), and a module that needs only the system's DLLs: the C and
# C++ runtimes are linked in statically. TQ_MINGW_TRIPLET names the target before this runs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TQ_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TQ_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TQ_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TQ_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

foreach(_kind EXE SHARED MODULE)
    set(CMAKE_${_kind}_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endforeach()
