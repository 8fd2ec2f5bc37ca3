# One call per program that the packages ship:
#
#   tarvek2_program(TARGET
#     DESCRIPTION "text"          Windows "File description"
#     [START_MENU "caption"]      a Start-menu entry of the Windows installer
#     [MANIFEST file])            the Windows program's application manifest
#                                 (default: cmake/default.manifest.in, asInvoker)
#
# On Windows the program gets the version resource of cmake/version.rc.in
# (company, product, file and product version from cmake/Tarvek2Version.cmake)
# and its application manifest as resource 1.  Everywhere it gets
# its install rule (bin/ on Linux, the installation folder itself on Windows),
# and the target tarvek2-programs builds it.
include_guard(GLOBAL)

if(WIN32)
  enable_language(RC)
  set(TARVEK2_INSTALL_BINDIR "." CACHE INTERNAL "")
else()
  include(GNUInstallDirs)
  set(TARVEK2_INSTALL_BINDIR "${CMAKE_INSTALL_BINDIR}" CACHE INTERNAL "")
endif()

# tarvek2-programs builds every program the packages ship, and nothing else.
if(NOT TARGET tarvek2-programs)
  add_custom_target(tarvek2-programs)
endif()

function(tarvek2_program target)
  cmake_parse_arguments(ARG "" "DESCRIPTION;START_MENU;MANIFEST" "" ${ARGN})
  if(NOT ARG_DESCRIPTION)
    message(FATAL_ERROR "tarvek2_program(${target}): DESCRIPTION is missing")
  endif()
  target_link_libraries(${target} PRIVATE tarvek2version)

  if(WIN32)
    set(TARVEK2_RC_NAME "${target}")
    set(TARVEK2_RC_FILENAME "${target}.exe")
    set(TARVEK2_RC_DESCRIPTION "${ARG_DESCRIPTION}")
    if(ARG_MANIFEST)
      get_filename_component(manifest "${ARG_MANIFEST}" ABSOLUTE)
    else()
      # Without a manifest of its own: cmake/default.manifest.in (asInvoker,
      # the supported Windows versions).
      string(REGEX REPLACE "[^A-Za-z0-9]" "." TARVEK2_MANIFEST_NAME "Quorvane.Tarvek2.${target}")
      set(manifest "${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest")
      configure_file("${PROJECT_SOURCE_DIR}/cmake/default.manifest.in" "${manifest}" @ONLY)
    endif()
    # CREATEPROCESS_MANIFEST_RESOURCE_ID (1), RT_MANIFEST (24)
    set(TARVEK2_RC_MANIFEST "1 24 \"${manifest}\"")
    set_property(SOURCE "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc"
      APPEND PROPERTY OBJECT_DEPENDS "${manifest}")
    configure_file("${PROJECT_SOURCE_DIR}/cmake/version.rc.in"
      "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc" @ONLY)
    target_sources(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  endif()

  install(TARGETS ${target} RUNTIME DESTINATION "${TARVEK2_INSTALL_BINDIR}")
  add_dependencies(tarvek2-programs ${target})
  if(ARG_START_MENU)
    set_property(GLOBAL APPEND PROPERTY TARVEK2_START_MENU "${target}" "${ARG_START_MENU}")
  endif()
endfunction()
