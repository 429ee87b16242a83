# Installs into a scratch prefix and checks that the desktop finds the
# program, its launcher, its metadata and an icon at every size.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -P installcheck.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "install failed: ${status}")
endif()
set(id io.github.vantory.laser)
set(expected bin/vantory-laser share/applications/${id}.desktop share/metainfo/${id}.metainfo.xml)
foreach(size 16 32 48 64 128)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
endforeach()
foreach(path IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/${id}.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=vantory-laser")
    message(FATAL_ERROR "the launcher starts '${exec}'")
endif()
