# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (GCC, POSIX
# threads: std::thread and std::mutex need them).
#
# Libraries are looked for only in the MinGW root and in the folders given in
# CMAKE_PREFIX_PATH (the cross-built Qt, SQLite and GoogleTest); programs that
# run during the build (moc, rcc, uic) come from the host.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_sz_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_sz_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_sz_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_sz_triple}-windres)
set(CMAKE_AR ${_sz_triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_sz_triple}-gcc-ranlib-posix CACHE FILEPATH "")

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_sz_triple} ${CMAKE_PREFIX_PATH})
list(REMOVE_DUPLICATES CMAKE_FIND_ROOT_PATH)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and tools built here run under Wine.
find_program(_sz_wine NAMES wine wine64)
if(_sz_wine AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${_sz_wine})
endif()
