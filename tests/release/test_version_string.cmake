# cmake -P tests/release/test_version_string.cmake
# The version text for each kind of source the build can come from.
include("${CMAKE_CURRENT_LIST_DIR}/../../cmake/Tarvek2VersionString.cmake")

set(failures 0)
# project version | git describe output | expected version text
set(cases
  "1.0.0|<none>|1.0.0"
  "1.0.0|v1.0.0|1.0.0"
  "1.0.0|v1.0.0-dirty|1.0.0+dirty"
  "1.0.0|47e9957|1.0.0+g47e9957"
  "1.0.0|47e9957-dirty|1.0.0+g47e9957.dirty"
  "1.0.0|v1.0.0-3-g47e9957|1.0.0+3.g47e9957"
  "1.0.0|v1.0.0-3-g47e9957-dirty|1.0.0+3.g47e9957.dirty"
  "1.0.0|v0.9.0-12-g47e9957|1.0.0+v0.9.0.12.g47e9957"
  # '.' in the version is a dot, not any character
  "1.0.0|v1x0x0-2-g47e9957|1.0.0+v1x0x0.2.g47e9957"
  "2.1.3|v2.1.3-rc_1-5-gabcdef0|2.1.3+v2.1.3.rc.1.5.gabcdef0"
  "1.0.0|  47e9957\n|1.0.0+g47e9957"
)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 project)
  list(GET parts 1 describe)
  list(GET parts 2 expected)
  if(describe STREQUAL "<none>")
    set(describe "")
  endif()
  string(REPLACE "\\n" "\n" describe "${describe}")
  tarvek2_version_string(got "${project}" "${describe}")
  if(NOT got STREQUAL expected)
    message(SEND_ERROR "project ${project}, describe '${describe}': got '${got}', expected '${expected}'")
    math(EXPR failures "${failures} + 1")
  endif()
  # Every version text is a valid Debian version and file name.
  if(NOT got MATCHES "^[0-9][0-9A-Za-z.+]*$")
    message(SEND_ERROR "'${got}' has characters outside [0-9A-Za-z.+]")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
list(LENGTH cases n)
if(failures)
  message(FATAL_ERROR "${failures} of ${n} version cases failed")
endif()
message(STATUS "all ${n} version cases passed")
