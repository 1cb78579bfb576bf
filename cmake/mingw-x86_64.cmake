# 64-bit build of the same sources. It exists because some machines (this
# project's CI among them) run a kernel without 32-bit support, where Wine can
# start only 64-bit Windows programs; there the Windows tests run on it.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DW_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
