# Cross toolchain for the Windows builds. VELMORO_WIN_ARCH picks the machine:
# i686 for the plug-in itself, x86_64 for running the Win32 tests under a Wine
# that has no 32-bit side.
if(NOT VELMORO_WIN_ARCH)
  set(VELMORO_WIN_ARCH i686)
endif()
set(VELMORO_WIN_ARCH "${VELMORO_WIN_ARCH}" CACHE STRING "i686 or x86_64")

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VELMORO_WIN_ARCH})
set(_triple ${VELMORO_WIN_ARCH}-w64-mingw32)
# The win32 thread variant: its locks are the system's and never allocate,
# so the C++ runtime can throw when memory has run out (the posix variant's
# locks are made on first use, with calloc).
set(CMAKE_C_COMPILER ${_triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${_triple}-g++-win32)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

if(VELMORO_WIN_ARCH STREQUAL "x86_64")
  set(_wine_loader wine64)
else()
  set(_wine_loader wine)
endif()
# ctest runs the .exe tests through this, in a Wine prefix of the build tree's own.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run;${CMAKE_BINARY_DIR}/wine-prefix;${_wine_loader}")
