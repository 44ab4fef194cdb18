# The same sources for 64-bit Windows. Its only use is running the Windows
# tests under 64-bit Wine on hosts that cannot execute 32-bit code at all.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(SOMNEL_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
