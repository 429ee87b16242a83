# SPDX-License-Identifier: MIT
# Regenerates every asset into OUTPUT_DIR and holds the result against the
# committed copies in ASSETS_DIR, file by file (see assetcomparison.h for the
# rule each file gets).
# Usage: cmake -DASSETGEN=... -DASSETCOMPARE=... -DASSETS_DIR=... -DOUTPUT_DIR=...
#        -P compareassets.cmake
file(REMOVE_RECURSE "${OUTPUT_DIR}")
file(MAKE_DIRECTORY "${OUTPUT_DIR}")
execute_process(COMMAND "${ASSETGEN}" "${OUTPUT_DIR}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "assetgen failed: ${status}")
endif()

execute_process(COMMAND "${ASSETCOMPARE}" "${ASSETS_DIR}" "${OUTPUT_DIR}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "assets differ from their generator")
endif()
