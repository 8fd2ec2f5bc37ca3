// Command-line options of the tarvek2-sim program.
#pragma once

#include "TSimConfig.h"

#include <string>

struct TSimOptions {
    TSimConfig config;
    std::string sLink;       // symlink to place at the slave path
    std::string sRecordFile; // where the record goes; empty: standard output
    bool bExitAfterUpdate = false;
};

// Parses the command line into options.  Returns -1 to go on, or the exit
// code when the program must end here (help shown, or a bad option reported).
int parseSimOptions(int argc, char** argv, TSimOptions& options);

// "0x6621" (hex) or "26145" (decimal), 0 to 0xFFFF.
bool parseCode(const std::string& s, std::uint16_t& code);
// "2.07": major 2, minor 7 (each 0 to 255).
bool parseVersion(const std::string& s, std::uint8_t& major, std::uint8_t& minor);
