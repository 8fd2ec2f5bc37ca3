// Checks a whole image the way the update session does before it writes
// anything: an end line ":00000001FF" at the last index, at least one data
// line, and every data line well formed with a right checksum.  The checked
// image is also what the session writes: the records in write order, each
// line converted once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Why a data line is not well formed; empty when it is.
std::string describeLineFault(const std::string& sLine);

// One step of writing a checked image, in the order the session takes them.
struct TWriteStep {
    enum class TKind {
        write,           // a full data record: sent, its echo compared, a progress step
        passOver,        // a well-formed record of another length or type: a progress step
        holdVectorTable, // the vector-table record met in line order: held back
        writeVectorTable // the held-back vector-table record, after all other lines
    };
    TKind kind = TKind::write;
    // Line index.  For writeVectorTable the end line's index, one past the
    // last data line: the session reports that index when the echo differs.
    int index = 0;
    std::uint16_t block = 0;
    std::string line; // the record's text, for write and writeVectorTable
};

// An image as the check leaves it.  steps covers the data lines in line
// order up to the first bad line; when every line converts, the held-back
// vector table (the last one met, when there are several) follows them.
struct TCheckedImage {
    int lastLine = -1; // index of the end line
    bool endLineOk = false;
    int badLine = -1; // index of the first line that does not convert
    std::string badReason;
    std::vector<TWriteStep> steps;

    // At least one data line, the end line in place and every line converts.
    bool ok() const { return endLineOk && badLine < 0; }
    // Blocks of the records sent, in the order they are sent.
    std::vector<std::uint16_t> writeOrder() const;
};

// lineAt(i, line) delivers line i; lastLine is the index of the end line.  A
// line that cannot be delivered is bad.  Each line is fetched and converted
// once.
using TLineSource = std::function<bool(int, std::string&)>;
TCheckedImage checkImageRecords(int lastLine, const TLineSource& lineAt);

struct TBlockRange {
    std::uint16_t first;
    std::uint16_t last;
};

// A summary of a checked image, for a report.
struct TImageCheckResult {
    bool ok = false;
    int lastLine = -1; // index of the end line
    bool endLineOk = false;
    int dataRecords = 0;    // full records (count 0x40, type 00): the ones written
    int skippedRecords = 0; // well-formed records of another length or type
    bool hasVectorTable = false;
    std::vector<TBlockRange> blocks; // blocks of the written records, runs in line order
    int badLine = -1;                // index of the first line that does not convert
    std::string badReason;
};

TImageCheckResult summarizeCheck(const TCheckedImage& image);
TImageCheckResult checkImage(int lastLine, const TLineSource& lineAt);
