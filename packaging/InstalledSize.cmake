# SPDX-License-Identifier: MIT
# Run by cpack once it has made the .deb: puts the right Installed-Size into
# its control file. CPack sums the sizes of the files following symbolic
# links, so that the links reelkit -> Reelkit and reelkit.1.gz count as copies
# and the figure comes out about twice the truth, and it offers no way to set
# the field. The figure here is counted as dpkg-gencontrol counts it: each
# file and link its size in KiB, rounded up, each folder (the top one too) 1.
# dpkg-deb then builds the package again from the same files, stamped with
# SOURCE_DATE_EPOCH as cpack stamped it, so that it stays reproducible.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.deb$")
        continue()
    endif()
    find_program(REELKIT_DPKG_DEB dpkg-deb)
    if(NOT REELKIT_DPKG_DEB)
        message(WARNING "No dpkg-deb: ${package} keeps CPack's Installed-Size, which counts "
                        "symbolic links as copies of their targets")
        return()
    endif()
    set(tree ${CPACK_TOPLEVEL_DIRECTORY}/installed-size)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND ${REELKIT_DPKG_DEB} --raw-extract ${package} ${tree}
                    COMMAND_ERROR_IS_FATAL ANY)
    file(CHMOD ${tree} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                   WORLD_READ WORLD_EXECUTE) # the package's top folder, whatever the umask

    set(kib 1) # the top folder
    file(GLOB_RECURSE entries LIST_DIRECTORIES true ${tree}/*)
    foreach(entry IN LISTS entries)
        file(RELATIVE_PATH name ${tree} ${entry})
        if(name MATCHES "^DEBIAN(/|$)")
            continue()
        elseif(IS_SYMLINK ${entry})
            file(READ_SYMLINK ${entry} target)
            string(LENGTH "${target}" bytes)
        elseif(IS_DIRECTORY ${entry})
            set(bytes 1)
        else()
            file(SIZE ${entry} bytes)
        endif()
        math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
    endforeach()

    file(READ ${tree}/DEBIAN/control control)
    string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
    if(NOT control MATCHES "\nInstalled-Size: ${kib}\n")
        message(FATAL_ERROR "${package}: no Installed-Size in its control file")
    endif()
    file(WRITE ${tree}/DEBIAN/control "${control}")
    execute_process(COMMAND ${REELKIT_DPKG_DEB} --root-owner-group -Zgzip -z9 --build ${tree} ${package}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
