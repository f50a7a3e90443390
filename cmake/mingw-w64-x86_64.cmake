# Cross-builds the 64-bit Windows engine on Linux with mingw-w64
# (Debian: g++-mingw-w64-x86-64). Everything is linked statically, so
# corvantis.exe runs on a Windows machine without any DLL next to it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CORVANTIS_MINGW_TRIPLE x86_64-w64-mingw32)
# The POSIX thread model where there is a choice (Debian ships both): its
# C++ library has std::mutex, which GoogleTest needs.
find_program(CMAKE_C_COMPILER NAMES ${CORVANTIS_MINGW_TRIPLE}-gcc-posix ${CORVANTIS_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${CORVANTIS_MINGW_TRIPLE}-g++-posix ${CORVANTIS_MINGW_TRIPLE}-g++ REQUIRED)
set(CMAKE_RC_COMPILER ${CORVANTIS_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CORVANTIS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
