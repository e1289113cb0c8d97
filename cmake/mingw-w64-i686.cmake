# Cross build of the 32-bit Windows programs (x86), for 32-bit Windows and beside the 64-bit ones.
set(DRAVOSK_MINGW i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
