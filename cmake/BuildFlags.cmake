# SPDX-License-Identifier: MIT
# How the product code is compiled and Reelkit is linked: hardened as Debian
# hardens its packages, statically where the platform allows, and reproducibly:
# the same commit gives the same bytes in any build folder.
include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)
include(CheckPIESupported)

if(MSVC)
    return()
endif()
set(REELKIT_PRODUCT_TARGETS reelkit_core Reelkit)

# No build or source folder name may reach a binary, through __FILE__ or debug info.
# A release build is optimised for size: a run is mostly process start-up, whose
# cost, resident memory most of all, grows with the pages of code mapped, and
# the tool's few loops over bytes lose nothing by it.
foreach(target IN LISTS REELKIT_PRODUCT_TARGETS)
    target_compile_options(${target} PRIVATE
        -ffile-prefix-map=${PROJECT_SOURCE_DIR}/= -ffile-prefix-map=${PROJECT_BINARY_DIR}/=
        $<$<CONFIG:Release>:-Os>)
endforeach()

if(WIN32)
    # Address space layout randomisation (with 64-bit addresses) and no
    # execution from data pages; no link time stamp in the file header.
    target_link_options(Reelkit PRIVATE
        -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat -Wl,--no-insert-timestamp)
    set(REELKIT_LINKED_STATICALLY ON) # by the toolchain file
    return()
endif()

# Debian's default hardening: each flag where the compiler has it. The fortified
# library calls need optimisation to work. -fcf-protection is left out: the
# kernel turns indirect branch tracking and the shadow stack on only for a
# program whose every linked object carries the marks, and Debian 12's C
# library and start files do not, so that the linked program never would.
foreach(flag IN ITEMS -fstack-protector-strong -fstack-clash-protection)
    string(MAKE_C_IDENTIFIER "REELKIT_HAS${flag}" result)
    check_cxx_compiler_flag(${flag} ${result})
    if(${result})
        list(APPEND REELKIT_HARDENING ${flag})
    endif()
endforeach()
list(APPEND REELKIT_HARDENING "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
foreach(target IN LISTS REELKIT_PRODUCT_TARGETS)
    target_compile_options(${target} PRIVATE ${REELKIT_HARDENING})
    set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endforeach()
check_linker_flag(CXX "-Wl,-z,relro,-z,now" REELKIT_HAS_RELRO_NOW)
if(REELKIT_HAS_RELRO_NOW)
    target_link_options(Reelkit PRIVATE -Wl,-z,relro,-z,now)
endif()

# A run is mostly process start-up: linked statically there is no dynamic
# loader to run. Only glibc on Linux is known to link this way; a static PIE
# keeps address space layout randomisation, plain -static is the fallback for
# targets without it (s390x).
if(REELKIT_STATIC AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(REELKIT_GLIBC_PROBE "#include <cstdio>
#ifndef __GLIBC__
#error not glibc
#endif
int main() { std::puts(\"\"); }")
    set(CMAKE_REQUIRED_FLAGS -fPIE)
    set(CMAKE_REQUIRED_LINK_OPTIONS -static-pie)
    check_cxx_source_compiles("${REELKIT_GLIBC_PROBE}" REELKIT_CAN_LINK_STATIC_PIE)
    set(CMAKE_REQUIRED_LINK_OPTIONS -static)
    check_cxx_source_compiles("${REELKIT_GLIBC_PROBE}" REELKIT_CAN_LINK_STATIC)
    unset(CMAKE_REQUIRED_FLAGS)
    unset(CMAKE_REQUIRED_LINK_OPTIONS)
endif()
# Unused library sections dropped: fewer pages to map and fault in per run.
if(REELKIT_STATIC AND REELKIT_CAN_LINK_STATIC_PIE)
    target_link_options(Reelkit PRIVATE -static-pie -Wl,--gc-sections)
    # A static PIE relocates itself at every start: packed relative relocations
    # are a few hundred bytes to read instead of some 45 KiB.
    check_linker_flag(CXX "-Wl,-z,pack-relative-relocs" REELKIT_HAS_RELR)
    if(REELKIT_HAS_RELR)
        target_link_options(Reelkit PRIVATE -Wl,-z,pack-relative-relocs)
    endif()
    set(REELKIT_LINKED_STATICALLY ON)
elseif(REELKIT_STATIC AND REELKIT_CAN_LINK_STATIC)
    target_link_options(Reelkit PRIVATE -static -Wl,--gc-sections)
    set(REELKIT_LINKED_STATICALLY ON)
else()
    if(REELKIT_STATIC)
        message(STATUS "No static C library for ${CMAKE_SYSTEM_NAME} here: Reelkit is linked dynamically")
    endif()
    check_pie_supported() # links with -pie where the compiler does not by default
endif()
