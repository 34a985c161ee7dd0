# MinGW-w64 i686: what ships.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MIVRA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
