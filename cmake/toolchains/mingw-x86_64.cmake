# Cross-compiles for Windows (x86_64) with Debian's mingw-w64 compilers. The "-posix"
# variants are used: their C++ runtime has std::thread and std::mutex on winpthreads,
# which the "-win32" variants lack.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVRO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVRO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVRO_MINGW_TRIPLET}-windres)
set(CMAKE_DLLTOOL ${TAVRO_MINGW_TRIPLET}-dlltool)

# Libraries and headers come from the cross sysroot only; programs (the table generator,
# Wine) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TAVRO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests built here run under Wine (Debian keeps its loaders in /usr/lib/wine).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
