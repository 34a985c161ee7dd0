# MinGW-w64 x86-64: the end-to-end build of machines that run no 32-bit programs (scripts/test).
# What ships is the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MIVRA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
