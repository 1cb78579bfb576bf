# Shared part of the mingw-w64 toolchain files; they set DW_MINGW_PREFIX and
# CMAKE_SYSTEM_PROCESSOR first. The win32 thread-model compilers: the -posix
# ones link winpthreads, whose imports Windows 98, ME and 2000 lack; the
# program has its own threads (src/platform/threads.h).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${DW_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${DW_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${DW_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${DW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
