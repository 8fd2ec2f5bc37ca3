# Serial line sources of the core library (included from src/CMakeLists.txt).
target_sources(tarvek2core PRIVATE
  serial/uRS232.cpp
  serial/uPortTrace.cpp
  serial/uPortListFilter.cpp
  # Without libudev (and on Windows, where WM_DEVICECHANGE tells of ports)
  # the watcher reports no events.
  serial/uPortWatcher.cpp
)
if(WIN32)
  target_sources(tarvek2core PRIVATE
    serial/uWin32Text.cpp
    serial/uRS232_win32.cpp
    serial/uPortList_win32.cpp
  )
  target_link_libraries(tarvek2core PRIVATE advapi32)
else()
  target_sources(tarvek2core PRIVATE
    serial/uRS232_posix.cpp
    serial/uPortProblem_posix.cpp
    serial/uPortList_linux.cpp
  )
  # Hot-plug events come from libudev where present; without it the watcher
  # reports no events and the port list is refreshed on demand only.
  find_package(PkgConfig QUIET)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(UDEV IMPORTED_TARGET GLOBAL libudev)
  endif()
  if(UDEV_FOUND)
    target_link_libraries(tarvek2core PRIVATE PkgConfig::UDEV)
    set_source_files_properties(serial/uPortWatcher.cpp PROPERTIES
      COMPILE_DEFINITIONS TARVEK2_HAVE_LIBUDEV)
  endif()
endif()
