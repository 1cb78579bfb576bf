# 64-bit build of the same sources. It exists because some machines (this
# project's CI among them) run a kernel without 32-bit support, where Wine can
# start only 64-bit Windows programs; there the Windows tests run on it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DW_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DW_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DW_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${DW_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${DW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
