// Checks a whole image the way the update session does before it writes
// anything: an end line ":00000001FF" at the last index, at least one data
// line, and every data line well formed with a right checksum.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Why a data line is not well formed; empty when it is.
std::string describeLineFault(const std::string& sLine);

struct TBlockRange {
    std::uint16_t first;
    std::uint16_t last;
};

struct TImageCheckResult {
    bool ok = false;
    int lastLine = -1;          // index of the end line
    bool endLineOk = false;
    int dataRecords = 0;        // full records (count 0x40, type 00): the ones written
    int skippedRecords = 0;     // well-formed records of another length or type
    bool hasVectorTable = false;
    std::vector<TBlockRange> blocks; // blocks of the written records, runs in line order
    int badLine = -1;           // index of the first line that does not convert
    std::string badReason;
};

// lineAt(i, line) delivers line i; lastLine is the index of the end line.
TImageCheckResult checkImage(int lastLine,
                             const std::function<bool(int, std::string&)>& lineAt);
