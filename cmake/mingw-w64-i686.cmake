# Cross-builds the Windows add-in with Debian's mingw-w64 for i686: the module 32-bit Office
# loads, on 32-bit and 64-bit Windows alike.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KX_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
