# Binary packages: `cpack` in a build directory makes a .deb on Linux and a
# .zip holding Reelkit.exe when built for Windows.
set(REELKIT_MAINTAINER "Reelkit maintainers <maintainers@reelkit.invalid>"
    CACHE STRING "Maintainer named in the packages")

set(CPACK_PACKAGE_NAME reelkit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "${REELKIT_MAINTAINER}")
set(CPACK_STRIP_FILES ON)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "Reelkit-${PROJECT_VERSION}-windows")
    install(FILES README.md DESTINATION .)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${REELKIT_MAINTAINER}")
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Reelkit appends blocks to existing ZX Spectrum tape images (TAP files):
a data block from any file, a tape header built from command-line fields,
a file together with its header, a prepared 17-byte header, or a file
converted from the Hobeta format.")
    # The static build needs no shared library; a dynamic one takes its
    # dependencies from dpkg-shlibdeps.
    if(NOT REELKIT_STATIC)
        set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    endif()
endif()

include(CPack)
