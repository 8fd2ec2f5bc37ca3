# Third-party code for a Windows program built on Debian with mingw-w64.
#
# Debian ships CLI11, fmt and nlohmann-json as headers for the host and
# GoogleTest as sources; none of them for Windows.  The header-only ones are
# copied out of /usr/include (the host's include directory itself must not be
# searched: its C library headers would shadow MinGW's), fmt is used in its
# header-only form, and GoogleTest is built from its sources as part of this
# build.  The project's own find_package() calls are answered by small config
# files in CMake's package redirect directory, so they stay as they are.

set(_tarvek2_host_headers "${CMAKE_BINARY_DIR}/host-headers/include")
file(MAKE_DIRECTORY "${_tarvek2_host_headers}")
foreach(_dir CLI fmt nlohmann)
  if(EXISTS "/usr/include/${_dir}")
    file(COPY "/usr/include/${_dir}" DESTINATION "${_tarvek2_host_headers}")
  endif()
endforeach()

function(_tarvek2_redirect package body)
  string(TOLOWER "${package}" _lower)
  file(WRITE "${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${_lower}-config.cmake" "${body}")
  file(WRITE "${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${_lower}-config-version.cmake"
    "set(PACKAGE_VERSION_COMPATIBLE TRUE)\nset(PACKAGE_VERSION_EXACT FALSE)\n")
endfunction()

if(EXISTS "${_tarvek2_host_headers}/CLI/CLI.hpp")
  _tarvek2_redirect(CLI11 "
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES \"${_tarvek2_host_headers}\")
endif()
")
endif()

if(EXISTS "${_tarvek2_host_headers}/fmt/format-inl.h")
  _tarvek2_redirect(fmt "
if(NOT TARGET fmt::fmt)
  add_library(fmt::fmt INTERFACE IMPORTED)
  set_target_properties(fmt::fmt PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES \"${_tarvek2_host_headers}\"
    INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1)
endif()
if(NOT TARGET fmt::fmt-header-only)
  add_library(fmt::fmt-header-only ALIAS fmt::fmt)
endif()
")
endif()

if(EXISTS "${_tarvek2_host_headers}/nlohmann/json.hpp")
  _tarvek2_redirect(nlohmann_json "
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES \"${_tarvek2_host_headers}\")
endif()
")
endif()

# GoogleTest from Debian's sources (package googletest), built for Windows.
set(TARVEK2_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH
  "GoogleTest sources to build for the cross build")
set(TARVEK2_GTEST_DEBIAN googletest)
set(TARVEK2_GMOCK_DEBIAN googletest)
if(TARVEK2_TESTS AND NOT EXISTS "${TARVEK2_GOOGLETEST_SOURCE}/CMakeLists.txt")
  _tarvek2_missing("GoogleTest's sources (${TARVEK2_GOOGLETEST_SOURCE})" googletest)
endif()
if(TARVEK2_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  # Win32 threads inside GoogleTest, as in a native Windows build.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory("${TARVEK2_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest"
    EXCLUDE_FROM_ALL SYSTEM)
  _tarvek2_redirect(GTest "
# GoogleTest is built in this tree (GTest::gtest, GTest::gmock, ...).
")
endif()
