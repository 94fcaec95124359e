# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads compilers, for
# std::thread), running what is built under Wine: configure with
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake ...
# Tests run through CMAKE_CROSSCOMPILING_EMULATOR: scripts/wine, which starts wine64 with the
# same address layout every time; WINEPREFIX, set by the caller, keeps Wine's state out of the
# user's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: the compiler's own runtime and winpthreads linked in, so that no
# DLL of the build machine has to be found at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(DISSIM_WINE64 NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(DISSIM_WINE64 NAMES wine64 wine)
if(DISSIM_WINE64)
  # Every Windows program of the build and its tests is started through this one launcher.
  get_filename_component(DISSIM_WINE ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DISSIM_WINE})
endif()
# The end-to-end tests start and end Wine's server themselves.
find_program(DISSIM_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(DISSIM_WINESERVER NAMES wineserver64 wineserver)
