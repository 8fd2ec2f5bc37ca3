// --log-dir: every port's run written to its own file as it happens, so that
// afterwards one can tell which logger got which firmware.  The file holds
// a heading line (logFileHeading), the report lines as a single-port run
// prints them (no prefix), the notes, and at the end the result as one JSON
// line (the --json result object).
// Every line is flushed as it is written: a crash or a pulled cable loses
// nothing that was reported.
#pragma once

#include "cli/output/portOutput.h"

#include <ctime>
#include <fstream>
#include <memory>
#include <string>

// "ttyUSB0-20261210-141502.log" for the port /dev/ttyUSB0 started at that
// local time: the port's base name, then the date and time.
std::string logFileName(const std::string& port, const std::tm& localStart);

// The first line of a log file: which program wrote it, when, and for which
// port, such as
// "tarvek2-cli 1.2.0, 2026-12-10T14:15:02.123+01:00, port /dev/ttyUSB0".
std::string logFileHeading(const std::string& version, const std::string& isoTime,
                           const std::string& port);

// Creates the folder when missing; empty when it is there, else why not.
std::string prepareLogDir(const std::string& dir);

// Opens DIR/<logFileName> for the port starting now (with "-2", "-3", ...
// before ".log" when that name is taken); nullptr when it cannot be opened,
// with error saying why.
std::unique_ptr<IPortOutput> openLogFile(const std::string& dir, const std::string& port,
                                         std::string& error);
