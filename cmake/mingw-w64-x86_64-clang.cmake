# Cross-builds the 64-bit Windows engine on Linux with Clang for the
# mingw-w64 target, linked by lld against the C++ library and runtime of
# mingw-w64 GCC (Debian: clang, lld, g++-mingw-w64-x86-64). Clang gives the
# search's thread_local state native Windows TLS; mingw-w64 GCC 12 emulates
# it with a function call per access, which makes the search about six
# times slower. Native TLS still costs some 7% against the engine before it
# had threads (a load of the thread's block in every function that touches
# the search state); the windows preset wins that back with link-time
# optimisation. Everything is linked statically, so corvantis.exe runs on a
# Windows machine without any DLL next to it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CORVANTIS_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES clang REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES clang++ REQUIRED)
set(CMAKE_C_COMPILER_TARGET ${CORVANTIS_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${CORVANTIS_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${CORVANTIS_MINGW_TRIPLE}-windres)

# The C++ library of mingw-w64 GCC, of the POSIX thread model where there is
# a choice (Debian ships both): it has std::thread and std::mutex.
find_program(CORVANTIS_MINGW_GXX NAMES ${CORVANTIS_MINGW_TRIPLE}-g++-posix ${CORVANTIS_MINGW_TRIPLE}-g++ REQUIRED)
execute_process(COMMAND ${CORVANTIS_MINGW_GXX} -print-libgcc-file-name
                OUTPUT_VARIABLE CORVANTIS_MINGW_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(CORVANTIS_MINGW_GCC_DIR ${CORVANTIS_MINGW_LIBGCC} DIRECTORY)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${CORVANTIS_MINGW_GCC_DIR}/include/c++
    ${CORVANTIS_MINGW_GCC_DIR}/include/c++/${CORVANTIS_MINGW_TRIPLE} ${CORVANTIS_MINGW_GCC_DIR}/include/c++/backward)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -fuse-ld=lld -L${CORVANTIS_MINGW_GCC_DIR} -lpthread")

set(CMAKE_FIND_ROOT_PATH /usr/${CORVANTIS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
