# Third-party packages come from Debian (scripts/lib.sh lists them and
# scripts/setup.sh installs them).  When one is missing, configuring stops
# with the Debian package to install rather than CMake's own message about a
# config file or an unknown target.
#
#   tarvek2_require_package(Package DEBIAN_PACKAGE [find_package options...])
#   tarvek2_require_target(Target DEBIAN_PACKAGE)
#   tarvek2_require_program(VARIABLE program DEBIAN_PACKAGE)

function(_tarvek2_missing what debian)
  message(FATAL_ERROR "${what} is missing: install the Debian package ${debian} "
    "(scripts/setup.sh installs every package the build needs)")
endfunction()

# A macro, so that what find_package() defines stays in the caller's scope.
macro(tarvek2_require_package _package _debian)
  find_package(${_package} ${ARGN} QUIET)
  if(NOT ${_package}_FOUND)
    _tarvek2_missing("${_package}" "${_debian}")
  endif()
endmacro()

function(tarvek2_require_target target debian)
  if(NOT TARGET ${target})
    _tarvek2_missing("${target}" "${debian}")
  endif()
endfunction()

function(tarvek2_require_program variable program debian)
  find_program(${variable} NAMES ${program})
  if(NOT ${variable})
    _tarvek2_missing("${program}" "${debian}")
  endif()
endfunction()

# Links a small program with the given options (a sanitizer's or libFuzzer's
# runtime); stops naming DEBIAN_PACKAGE when that does not link.  ENTRY is
# main for an ordinary program, fuzzer for a libFuzzer target (libFuzzer
# brings its own main).
#   tarvek2_require_link(RESULT_VARIABLE "what" DEBIAN_PACKAGE main|fuzzer options...)
function(tarvek2_require_link result what debian entry)
  include(CheckCXXSourceCompiles)
  string(REPLACE ";" " " CMAKE_REQUIRED_FLAGS "${ARGN}")
  set(CMAKE_REQUIRED_LINK_OPTIONS ${ARGN})
  set(CMAKE_REQUIRED_QUIET ON)
  if(entry STREQUAL "fuzzer")
    set(_source "#include <cstddef>\n#include <cstdint>\nextern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }\n")
  else()
    set(_source "#include <vector>\nint main() { std::vector<int> v(3); return v[0]; }\n")
  endif()
  check_cxx_source_compiles("${_source}" ${result})
  if(NOT ${result})
    _tarvek2_missing("${what}" "${debian}")
  endif()
endfunction()
