# SPDX-License-Identifier: MIT
# Binary packages: `cpack` in a build directory makes a .deb on Linux and a
# .zip on Windows. project(VERSION) is the only version: the top entry of
# packaging/changelog must name it, and its date is the release date that the
# manual page shows. Archives are stamped with SOURCE_DATE_EPOCH, by default
# the time of the last commit, so that one commit always gives the same bytes.
set(REELKIT_MAINTAINER "Reelkit maintainers <maintainers@reelkit.invalid>"
    CACHE STRING "Maintainer named in the packages")
set(REELKIT_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

# "reelkit (1.0.0) unstable; urgency=medium" ... " -- Name <mail>  Mon, 07 Dec 2026 12:00:00 +0000"
file(STRINGS ${REELKIT_PACKAGING_DIR}/changelog REELKIT_CHANGELOG_TOP LIMIT_COUNT 1)
string(REGEX REPLACE "^reelkit \\(([^)]*)\\).*" "\\1" REELKIT_CHANGELOG_VERSION "${REELKIT_CHANGELOG_TOP}")
if(NOT REELKIT_CHANGELOG_VERSION STREQUAL PROJECT_VERSION)
    message(WARNING "packaging/changelog starts with version ${REELKIT_CHANGELOG_VERSION}, "
                    "the project is ${PROJECT_VERSION}: add an entry for it before packaging")
endif()
file(STRINGS ${REELKIT_PACKAGING_DIR}/changelog REELKIT_CHANGELOG_DATE LIMIT_COUNT 1
     REGEX "^ -- .*  [A-Z][a-z][a-z], [0-9][0-9] [A-Z][a-z][a-z] [0-9][0-9][0-9][0-9] ")
if(NOT REELKIT_CHANGELOG_DATE MATCHES ", ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9]+)")
    message(FATAL_ERROR "packaging/changelog: no date in its top entry")
endif()
set(REELKIT_DAY ${CMAKE_MATCH_1})
set(REELKIT_YEAR ${CMAKE_MATCH_3})
set(REELKIT_MONTHS Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND REELKIT_MONTHS ${CMAKE_MATCH_2} REELKIT_MONTH)
math(EXPR REELKIT_MONTH "${REELKIT_MONTH} + 101") # 1-based, two digits after the 1
string(SUBSTRING ${REELKIT_MONTH} 1 2 REELKIT_MONTH)
set(REELKIT_RELEASE_DATE "${REELKIT_YEAR}-${REELKIT_MONTH}-${REELKIT_DAY}")

# Compresses a generated file as Debian wants it (best, no name or time stamp)
# and sets <result> to the file to install: the .gz, or the file itself.
find_program(REELKIT_GZIP gzip)
function(reelkit_gzip file result)
    if(REELKIT_GZIP)
        execute_process(COMMAND ${REELKIT_GZIP} -9nkf ${file} COMMAND_ERROR_IS_FATAL ANY)
        set(${result} ${file}.gz PARENT_SCOPE)
    else()
        set(${result} ${file} PARENT_SCOPE)
    endif()
endfunction()

set(REELKIT_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/reelkit)
if(WIN32)
    install(FILES README.md LICENSE DESTINATION .)
else()
    # The licence's notice in the machine-readable copyright file: every line
    # indented, an empty one written as " .".
    file(READ ${PROJECT_SOURCE_DIR}/LICENSE REELKIT_LICENSE_TEXT)
    string(FIND "${REELKIT_LICENSE_TEXT}" "Permission is hereby granted" start)
    string(SUBSTRING "${REELKIT_LICENSE_TEXT}" ${start} -1 REELKIT_LICENSE_TEXT)
    string(STRIP "${REELKIT_LICENSE_TEXT}" REELKIT_LICENSE_TEXT)
    string(REPLACE "\n" "\n " REELKIT_LICENSE_TEXT " ${REELKIT_LICENSE_TEXT}")
    string(REPLACE "\n \n" "\n .\n" REELKIT_LICENSE_TEXT "${REELKIT_LICENSE_TEXT}")
    configure_file(${REELKIT_PACKAGING_DIR}/copyright.in copyright @ONLY)
    configure_file(${REELKIT_PACKAGING_DIR}/changelog changelog COPYONLY)
    reelkit_gzip(${CMAKE_CURRENT_BINARY_DIR}/changelog REELKIT_CHANGELOG)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${REELKIT_CHANGELOG}
            DESTINATION ${REELKIT_DOC_DIR})
endif()

set(CPACK_PACKAGE_NAME reelkit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "${REELKIT_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${REELKIT_PACKAGING_DIR}/CPackOptions.cmake)
set(CPACK_REELKIT_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_REELKIT_CHANGELOG_VERSION ${REELKIT_CHANGELOG_VERSION})

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "Reelkit-${PROJECT_VERSION}-windows")
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${REELKIT_MAINTAINER}")
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_POST_BUILD_SCRIPTS ${REELKIT_PACKAGING_DIR}/InstalledSize.cmake)
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Reelkit appends blocks to existing ZX Spectrum tape images (TAP and
TZX files): a data block from any file, a tape header built from
command-line fields, a file together with its header, a prepared 17-byte
header, a file converted from the Hobeta format, the files of a TR-DOS
disk image (TRD or SCL), or a BASIC loader that it writes itself.")
    if(REELKIT_LINKED_STATICALLY)
        # Static on purpose, which lintian would question without the reason.
        # A static PIE looks to it like a shared library without dependencies.
        if(REELKIT_CAN_LINK_STATIC_PIE)
            set(REELKIT_LINTIAN_TAG shared-library-lacks-prerequisites)
        else()
            set(REELKIT_LINTIAN_TAG statically-linked-binary)
        endif()
        configure_file(${REELKIT_PACKAGING_DIR}/lintian-overrides.in lintian-overrides @ONLY)
        # In the package only: cpack installs the rest, then this component.
        install(FILES ${CMAKE_CURRENT_BINARY_DIR}/lintian-overrides
                DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME reelkit
                COMPONENT deb EXCLUDE_FROM_ALL)
        set(CPACK_INSTALL_CMAKE_PROJECTS
            "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/" "${PROJECT_BINARY_DIR};${PROJECT_NAME};deb;/")
    else()
        set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    endif()
endif()

include(CPack)
