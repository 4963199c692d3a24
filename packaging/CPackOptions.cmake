# SPDX-License-Identifier: MIT
# Read by cpack before it packs. Every archive entry is stamped with
# SOURCE_DATE_EPOCH: the caller's, or else the time of the last commit.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    # The checkout may belong to another user than the one packing.
    execute_process(COMMAND git -c safe.directory=* -C "${CPACK_REELKIT_SOURCE_DIR}" log -1 --format=%ct
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE status ERROR_QUIET)
    if(status EQUAL 0 AND epoch MATCHES "^[0-9]+$")
        set(ENV{SOURCE_DATE_EPOCH} ${epoch})
    else()
        message(WARNING "Not a git checkout and no SOURCE_DATE_EPOCH: the package is stamped "
                        "with the files' times and differs from build to build")
    endif()
endif()

if(NOT CPACK_REELKIT_CHANGELOG_VERSION STREQUAL CPACK_PACKAGE_VERSION)
    message(FATAL_ERROR "packaging/changelog starts with ${CPACK_REELKIT_CHANGELOG_VERSION}, "
                        "not ${CPACK_PACKAGE_VERSION}: add an entry for this version")
endif()
