# SPDX-License-Identifier: MIT
# Cross-builds Reelkit for 64-bit ARM Linux on a Debian host
# (apt-get install g++-aarch64-linux-gnu qemu-user-static). char is unsigned
# there. Configure with -DREELKIT_STATIC=ON: the tests run the static program
# under qemu-aarch64-static, the test executables with the target's libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(REELKIT_CROSS_TRIPLET aarch64-linux-gnu)
set(REELKIT_CROSS_QEMU qemu-aarch64-static)
include(${CMAKE_CURRENT_LIST_DIR}/CrossLinux.cmake)
