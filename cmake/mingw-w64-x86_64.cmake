# Cross-builds the Windows add-in with Debian's mingw-w64 for x86-64: the module 64-bit Office
# loads.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KX_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
