# The MinGW-w64 cross toolchain for MIVRA_MINGW_TRIPLE (posix threading variant, needed by
# GoogleTest), statically linked: the programs need no DLL beyond the system's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MIVRA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIVRA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MIVRA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MIVRA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
