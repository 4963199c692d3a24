# SPDX-License-Identifier: MIT
# Cross-builds Reelkit for IBM Z Linux on a Debian host
# (apt-get install g++-s390x-linux-gnu qemu-user-static). It is big-endian.
# Configure with -DREELKIT_STATIC=ON: the tests run the static program under
# qemu-s390x-static, the test executables with the target's libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(REELKIT_CROSS_TRIPLET s390x-linux-gnu)
set(REELKIT_CROSS_QEMU qemu-s390x-static)
include(${CMAKE_CURRENT_LIST_DIR}/CrossLinux.cmake)
