# SPDX-License-Identifier: MIT
# Every source, build and script file of the project names its licence in
# its first lines, so a file copied out of the tree still says what it is.
# Run with -DSOURCE_DIR=<project root>.
file(GLOB_RECURSE candidates RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.h.in ${SOURCE_DIR}/*.py
    ${SOURCE_DIR}/*.sh ${SOURCE_DIR}/*.cmake ${SOURCE_DIR}/CMakeLists.txt)
list(APPEND candidates .ci/run app/vantory-laser.6)
set(unlicensed)
set(checked 0)
foreach(path IN LISTS candidates)
    if(path MATCHES "^(build|build-[^/]*|Testing)/")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${path} head LIMIT_COUNT 3)
    if(NOT head MATCHES "SPDX-License-Identifier: MIT")
        list(APPEND unlicensed ${path})
    endif()
    math(EXPR checked "${checked} + 1")
endforeach()
if(unlicensed)
    list(JOIN unlicensed "\n  " listing)
    message(FATAL_ERROR "no SPDX licence line in the first three lines of:\n  ${listing}")
endif()
message(STATUS "${checked} files carry the licence line")
