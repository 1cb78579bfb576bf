# Shared part of the mingw-w64 toolchain files; they set DW_MINGW_PREFIX and
# CMAKE_SYSTEM_PROCESSOR first. The -posix compilers are the ones with
# std::thread; the default win32 thread model has none.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${DW_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DW_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${DW_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${DW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
