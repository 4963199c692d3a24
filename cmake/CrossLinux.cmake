# SPDX-License-Identifier: MIT
# The common part of the Linux cross toolchain files: the Debian cross compiler
# for REELKIT_CROSS_TRIPLET, its libraries, and qemu user emulation to run what
# it builds (REELKIT_CROSS_QEMU).
set(CMAKE_C_COMPILER ${REELKIT_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${REELKIT_CROSS_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${REELKIT_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run under the emulator, which finds the target's shared
# libraries under the cross root; the program itself runs under it too, as
# REELKIT_RUNNER, so it must be linked statically (REELKIT_STATIC).
find_program(REELKIT_QEMU ${REELKIT_CROSS_QEMU})
if(REELKIT_QEMU)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${REELKIT_QEMU} -L /usr/${REELKIT_CROSS_TRIPLET})
endif()
