# Cross-compiling the Windows console build with Debian's mingw-w64
# (package g++-mingw-w64-x86-64). The programs are linked statically against
# the compiler's own libraries, so a tidewrack.exe runs on its own, under wine
# as on Windows. With wine on the path, CTest runs the Windows programs under
# it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TIDEWRACK_MINGW_PREFIX x86_64-w64-mingw32)
# The compiler as Debian's alternatives name it, else its POSIX threads flavour.
find_program(TIDEWRACK_MINGW_CXX NAMES ${TIDEWRACK_MINGW_PREFIX}-g++ ${TIDEWRACK_MINGW_PREFIX}-g++-posix
             REQUIRED)
set(CMAKE_CXX_COMPILER ${TIDEWRACK_MINGW_CXX})
set(CMAKE_RC_COMPILER ${TIDEWRACK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TIDEWRACK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(TIDEWRACK_WINE NAMES wine wine64)
if(TIDEWRACK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TIDEWRACK_WINE})
endif()
