# SPDX-License-Identifier: MIT
# Installs into a scratch prefix and checks that the desktop finds the
# program, its launcher, its metadata and an icon at every size, that the
# manual and the package documents are there, compressed where Debian
# expects it, and that the program carries no library search path.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -P installcheck.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "install failed: ${status}")
endif()
set(id io.github.vantory.laser)
set(doc share/doc/vantory-laser)
set(expected games/vantory-laser share/applications/${id}.desktop
    share/metainfo/${id}.metainfo.xml share/man/man6/vantory-laser.6.gz
    ${doc}/copyright ${doc}/changelog.gz)
foreach(size 16 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
endforeach()
list(APPEND expected share/icons/hicolor/scalable/apps/${id}.svg)
foreach(path IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/${id}.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=vantory-laser")
    message(FATAL_ERROR "the launcher starts '${exec}'")
endif()

foreach(path share/man/man6/vantory-laser.6.gz ${doc}/changelog.gz)
    file(READ "${PREFIX}/${path}" magic LIMIT 2 HEX)
    if(NOT magic STREQUAL "1f8b")
        message(FATAL_ERROR "not gzip-compressed: ${path}")
    endif()
endforeach()
file(STRINGS "${PREFIX}/${doc}/copyright" terms REGEX "^ Permission is hereby granted")
if(NOT terms)
    message(FATAL_ERROR "the copyright file lacks the licence terms")
endif()

file(READ_ELF "${PREFIX}/games/vantory-laser" RUNPATH runpath RPATH rpath)
if(runpath OR rpath)
    message(FATAL_ERROR "the installed program searches '${runpath}${rpath}' for libraries")
endif()
