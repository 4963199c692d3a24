# SPDX-License-Identifier: MIT
# Cross-builds Reelkit.exe for 64-bit Windows with mingw-w64 on a Debian host
# (apt-get install g++-mingw-w64-x86-64-posix). Everything is linked
# statically, so the executables need no runtime DLLs on the target machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(REELKIT_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${REELKIT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${REELKIT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${REELKIT_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${REELKIT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
