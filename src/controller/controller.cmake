# The update controller and the program options of the core library
# (included from src/CMakeLists.txt); one internal-mode reader per platform.
target_sources(tarvek2core PRIVATE
  controller/uUpdateController.cpp
  controller/uProgramOptions.cpp
  controller/uWinTools1V4.cpp
  controller/uInternModeText.cpp
  controller/uTimeLeft.cpp
  controller/uRestartRule.cpp
  controller/uLoggerFacts.cpp
  controller/uLoggerFate.cpp
)
if(WIN32)
  target_sources(tarvek2core PRIVATE controller/uInternMode_win32.cpp)
else()
  target_sources(tarvek2core PRIVATE controller/uInternMode_posix.cpp)
endif()
