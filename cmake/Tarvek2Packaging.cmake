# What the packages hold besides the programs (each program's own install
# rule comes from tarvek2_program()), and CPack's settings:
#
#   Linux:   cpack -G DEB    tarvek2_<version>_amd64.deb
#   Windows: cpack -G NSIS   tarvek2-setup-<version>-win32.exe / -win64.exe
#            cpack -G ZIP    tarvek2-<version>-win32.zip / -win64.zip
#
# scripts/release.sh builds them all; the file names per generator are set in
# packaging/CPackOptions.cmake.in.
include_guard(GLOBAL)

set(TARVEK2_MAINTAINER "Quorvane Tarvek2 updater team <tarvek2-updater@quorvane.example>")
set(_pkg "${PROJECT_SOURCE_DIR}/packaging")

if(WIN32)
  install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION .)
  install(FILES "${_pkg}/copyright" DESTINATION . RENAME copyright.txt)
else()
  include(GNUInstallDirs)
  set(_doc "${CMAKE_INSTALL_DATADIR}/doc/tarvek2")
  install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${_pkg}/copyright" DESTINATION "${_doc}")
  install(FILES "${_pkg}/tarvek2-update.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  install(FILES "${_pkg}/tarvek2-update.svg"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

  # The changelog (Debian's format, dated by the commit) and the manual pages,
  # compressed as Debian wants them: gzip -9, no name or time stamp inside.
  if(GIT_FOUND AND EXISTS "${PROJECT_SOURCE_DIR}/.git")
    execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%cD
      WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
      OUTPUT_VARIABLE TARVEK2_CHANGELOG_DATE ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  endif()
  if(NOT TARVEK2_CHANGELOG_DATE)
    string(TIMESTAMP TARVEK2_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  endif()
  configure_file("${_pkg}/changelog.in" "${CMAKE_BINARY_DIR}/packaging/changelog" @ONLY)

  # Made when CMake configures (it configures again when a page changes).
  foreach(_f "${CMAKE_BINARY_DIR}/packaging/changelog" "${_pkg}/tarvek2-cli.1" "${_pkg}/tarvek2-update.1")
    get_filename_component(_name "${_f}" NAME)
    execute_process(COMMAND gzip -9 -n -c "${_f}"
      OUTPUT_FILE "${CMAKE_BINARY_DIR}/packaging/${_name}.gz" RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "gzip of ${_f} failed")
    endif()
    set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_f}")
  endforeach()
  install(FILES "${CMAKE_BINARY_DIR}/packaging/changelog.gz" DESTINATION "${_doc}")
  install(FILES "${CMAKE_BINARY_DIR}/packaging/tarvek2-cli.1.gz"
    "${CMAKE_BINARY_DIR}/packaging/tarvek2-update.1.gz"
    DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endif()

# --- CPack ----------------------------------------------------------------------
set(CPACK_PACKAGE_NAME "tarvek2")
set(CPACK_PACKAGE_VENDOR "${TARVEK2_COMPANY}")
set(CPACK_PACKAGE_VERSION "${TARVEK2_VERSION}")
set(CPACK_PACKAGE_CONTACT "${TARVEK2_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for the Tarvek2 data logger")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Tarvek2")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Tarvek2")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_BINARY_DIR}/CPackOptions.cmake")
set(CPACK_MODULE_PATH "${_pkg}")

# Debian: the programs' library dependencies from dpkg-shlibdeps; Qt's
# platform plugins are loaded at run time, so no library names them.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Writes new firmware into a Tarvek2 data logger over its USB virtual serial
port: it identifies the logger, switches it into its bootloader, chooses the
built-in firmware image that fits, writes it record by record and checks the
restarted logger.

The package holds the desktop program tarvek2-update (in the desktop's menu as
\"Tarvek2 Firmware Update\") and the command-line updater tarvek2-cli.

Serial ports belong to the group dialout: a user needs membership of that
group to update a logger (adduser USER dialout, then log in again).")

# Windows installer: packaging/NSIS.template.in, with these values.
set(CPACK_NSIS_PACKAGE_NAME "${TARVEK2_PRODUCT}")
set(CPACK_NSIS_DISPLAY_NAME "${TARVEK2_PRODUCT}")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARVEK2_PACKAGE_ARCH "win64")
else()
  set(TARVEK2_PACKAGE_ARCH "win32")
endif()
set(CPACK_TARVEK2_ARCH "${TARVEK2_PACKAGE_ARCH}")
set(CPACK_TARVEK2_VERSION_NUMERIC "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(CPACK_TARVEK2_COPYRIGHT "${TARVEK2_COPYRIGHT}")
set(CPACK_TARVEK2_SHORTCUTS "${CMAKE_BINARY_DIR}/packaging/shortcuts.nsh")

# The Start-menu folder: the programs that asked for an entry
# (tarvek2_program START_MENU), a command prompt in the installation folder
# for tarvek2-cli, and the uninstaller.
get_property(_start_menu GLOBAL PROPERTY TARVEK2_START_MENU)
set(_create "")
set(_delete "")
while(_start_menu)
  list(POP_FRONT _start_menu _target _caption)
  string(APPEND _create "  CreateShortCut \"\${DIR}\\${_caption}.lnk\" \"$INSTDIR\\${_target}.exe\"\n")
  string(APPEND _delete "  Delete \"\${DIR}\\${_caption}.lnk\"\n")
endwhile()
if(TARGET tarvek2-cli)
  # The shortcut's working folder is the output path: the installation folder.
  string(APPEND _create "  CreateShortCut \"\${DIR}\\Tarvek2 Command Line.lnk\" \"$SYSDIR\\cmd.exe\" \"/k tarvek2-cli.exe --help\"\n")
  string(APPEND _delete "  Delete \"\${DIR}\\Tarvek2 Command Line.lnk\"\n")
endif()
string(APPEND _create "  CreateShortCut \"\${DIR}\\Uninstall ${TARVEK2_PRODUCT}.lnk\" \"$INSTDIR\\Uninstall.exe\" \"/$MultiUser.InstallMode\"\n")
string(APPEND _delete "  Delete \"\${DIR}\\Uninstall ${TARVEK2_PRODUCT}.lnk\"\n")
file(CONFIGURE OUTPUT "${CPACK_TARVEK2_SHORTCUTS}" CONTENT
"; Generated by cmake/Tarvek2Packaging.cmake. Do not edit.
!macro TARVEK2_CREATE_SHORTCUTS DIR
  SetOutPath \"$INSTDIR\"
${_create}!macroend
!macro TARVEK2_DELETE_SHORTCUTS DIR
${_delete}!macroend
" @ONLY)
set(CPACK_VERBATIM_VARIABLES ON)
configure_file("${_pkg}/CPackOptions.cmake.in" "${CMAKE_BINARY_DIR}/CPackOptions.cmake" @ONLY)
include(CPack)

# scripts/release.sh configures with TARVEK2_RELEASE_TOOLS=ON: the tools cpack
# runs are then looked for here, so a missing one stops the release at
# configure, naming its Debian package, rather than in the middle of cpack.
option(TARVEK2_RELEASE_TOOLS "Require the tools that make the packages" OFF)
if(TARVEK2_RELEASE_TOOLS)
  if(WIN32)
    tarvek2_require_program(TARVEK2_MAKENSIS makensis nsis)
  else()
    tarvek2_require_program(TARVEK2_DPKG_SHLIBDEPS dpkg-shlibdeps dpkg-dev)
    tarvek2_require_program(TARVEK2_FILE file file)
  endif()
endif()
