# Serial line sources of the core library (included from src/CMakeLists.txt).
# Each platform has the same four parts, chosen here: port access
# (uRS232_*), why a port did not open (uPortProblem_*), the port list
# (uPortList_*) and the watcher of arriving and leaving ports
# (uPortWatcher_*).
target_sources(tarvek2core PRIVATE
  serial/uRS232.cpp
  serial/uPortProblem.cpp
  serial/uPortTrace.cpp
  serial/uPortListFilter.cpp
)
if(WIN32)
  target_sources(tarvek2core PRIVATE
    serial/uWin32Text.cpp
    serial/uRS232_win32.cpp
    serial/uPortProblem_win32.cpp
    serial/uPortList_win32.cpp
    serial/uPortWatcher_win32.cpp
  )
  target_link_libraries(tarvek2core PRIVATE advapi32)
else()
  target_sources(tarvek2core PRIVATE
    serial/uRS232_posix.cpp
    serial/uPortProblem_posix.cpp
    serial/uPortList_linux.cpp
    serial/uPortWatcher_posix.cpp
  )
  # Hot-plug events come from libudev where present; without it the watcher
  # reports no events and the port list is refreshed on demand only.
  find_package(PkgConfig QUIET)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(UDEV IMPORTED_TARGET GLOBAL libudev)
  endif()
  if(NOT UDEV_FOUND)
    message(WARNING "libudev is missing: ports that arrive or leave are not noticed; install the "
      "Debian package libudev-dev (scripts/setup.sh installs every package the build needs)")
  endif()
  if(UDEV_FOUND)
    target_link_libraries(tarvek2core PRIVATE PkgConfig::UDEV)
    set_source_files_properties(serial/uPortWatcher_posix.cpp PROPERTIES
      COMPILE_DEFINITIONS TARVEK2_HAVE_LIBUDEV)
  endif()
endif()
