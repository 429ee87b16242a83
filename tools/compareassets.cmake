# Regenerates every asset into OUTPUT_DIR and fails unless each file matches the
# committed copy in ASSETS_DIR byte for byte.
# Usage: cmake -DASSETGEN=... -DASSETS_DIR=... -DOUTPUT_DIR=... -P compareassets.cmake
set(names countdown.wav boom.wav jungle.wav background.bmp laser.ico fireball.gif fireball.ico
    laser-16.png laser-32.png laser-48.png laser-64.png laser-128.png laser-256.png laser.svg
    fireball-2x.png fireball-64.png)

file(REMOVE_RECURSE "${OUTPUT_DIR}")
file(MAKE_DIRECTORY "${OUTPUT_DIR}")
execute_process(COMMAND "${ASSETGEN}" "${OUTPUT_DIR}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "assetgen failed: ${status}")
endif()

set(stale "")
foreach(name IN LISTS names)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files
        "${ASSETS_DIR}/${name}" "${OUTPUT_DIR}/${name}" RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
        file(SIZE "${ASSETS_DIR}/${name}" committed)
        file(SIZE "${OUTPUT_DIR}/${name}" generated)
        list(APPEND stale "${name} (committed ${committed} bytes, generated ${generated})")
    endif()
endforeach()

if(stale)
    list(JOIN stale "\n  " report)
    message(FATAL_ERROR "assets differ from their generator; rerun assetgen on assets/:\n  ${report}")
endif()
list(LENGTH names count)
message(STATUS "all ${count} assets match their generator")
