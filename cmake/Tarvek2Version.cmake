# The one version of everything this project ships: the project's version
# (project() in the top CMakeLists.txt) with the commit appended when the
# source is a git checkout (cmake/Tarvek2VersionString.cmake gives the rules).
#
# Sets TARVEK2_VERSION (the full text, such as 1.0.0+g47e9957) and
# TARVEK2_VERSION_COMMIT (the part after '+', empty for a release tag or a
# tarball), writes tarvek2_version.h for the programs and offers it through
# the target tarvek2version.  CMake configures again when HEAD moves to
# another commit, so the text never names a stale commit.
include("${CMAKE_CURRENT_LIST_DIR}/Tarvek2VersionString.cmake")

set(_describe "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${PROJECT_SOURCE_DIR}/.git")
  execute_process(
    COMMAND "${GIT_EXECUTABLE}" describe --tags --always --dirty=-dirty --abbrev=7
            --match "v[0-9]*"
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
    OUTPUT_VARIABLE _describe ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE _describe_rc)
  if(NOT _describe_rc EQUAL 0)
    set(_describe "")
  endif()
  # HEAD, the branch it points to and the packed refs: a commit or a branch
  # switch changes one of them.
  execute_process(
    COMMAND "${GIT_EXECUTABLE}" rev-parse --absolute-git-dir --git-common-dir --symbolic-full-name HEAD
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
    OUTPUT_VARIABLE _git_paths ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REPLACE "\n" ";" _git_paths "${_git_paths}")
  list(LENGTH _git_paths _n)
  if(_n GREATER_EQUAL 2)
    list(GET _git_paths 0 _git_dir)
    list(GET _git_paths 1 _git_common)
    if(NOT IS_ABSOLUTE "${_git_common}")
      get_filename_component(_git_common "${_git_common}" ABSOLUTE BASE_DIR "${PROJECT_SOURCE_DIR}")
    endif()
    set(_watch "${_git_dir}/HEAD" "${_git_common}/packed-refs")
    if(_n GREATER_EQUAL 3)
      list(GET _git_paths 2 _ref)
      if(_ref MATCHES "^refs/")
        list(APPEND _watch "${_git_common}/${_ref}")
      endif()
    endif()
    foreach(_f IN LISTS _watch)
      if(EXISTS "${_f}")
        set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_f}")
      endif()
    endforeach()
  endif()
endif()

tarvek2_version_string(TARVEK2_VERSION "${PROJECT_VERSION}" "${_describe}")
set(TARVEK2_VERSION_COMMIT "")
if(TARVEK2_VERSION MATCHES "\\+(.*)$")
  set(TARVEK2_VERSION_COMMIT "${CMAKE_MATCH_1}")
endif()
message(STATUS "Tarvek2 version: ${TARVEK2_VERSION}")

set(TARVEK2_COMPANY "Quorvane")
set(TARVEK2_PRODUCT "Tarvek2 Firmware Update")
set(TARVEK2_COPYRIGHT "Copyright (C) 2021-2026 Quorvane")

configure_file("${CMAKE_CURRENT_LIST_DIR}/tarvek2_version.h.in"
  "${CMAKE_BINARY_DIR}/generated/version/tarvek2_version.h" @ONLY)
add_library(tarvek2version INTERFACE)
target_include_directories(tarvek2version INTERFACE "${CMAKE_BINARY_DIR}/generated/version")
