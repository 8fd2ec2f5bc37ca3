#include "recordTimes.h"

#include <fstream>
#include <sstream>

namespace {

// A data record is 139 characters; the command records of the bootloader
// are far shorter.
constexpr std::size_t cMinRecordBytes = 100;

struct TTraceLine {
    double ms = 0;
    std::string direction; // "TX", "RX", or another word of the trace
    std::size_t bytes = 0;
    bool whole = true; // no "(k of n, ...)" after the bytes
};

// "+12.345 RX 3A 34 30 ..." or "+12.345 RX 3A (1 of 139, time-out)"
TTraceLine parseLine(const std::string& line) {
    TTraceLine t;
    std::istringstream in(line);
    std::string stamp;
    in >> stamp >> t.direction;
    if (stamp.size() > 1 && stamp[0] == '+') t.ms = std::stod(stamp.substr(1)) * 1000.0;
    std::string word;
    while (in >> word) {
        if (word[0] == '(') {
            t.whole = false;
            break;
        }
        ++t.bytes;
    }
    return t;
}

} // namespace

TRecordTimes readRecordTimes(const std::string& sTracePath) {
    TRecordTimes times;
    std::ifstream in(sTracePath);
    std::string line;
    std::size_t sent = 0; // bytes of the record written just before, or 0
    while (std::getline(in, line)) {
        const TTraceLine t = parseLine(line);
        if (t.direction == "TX") {
            sent = t.whole && t.bytes >= cMinRecordBytes ? t.bytes : 0;
        } else if (t.direction == "RX") {
            if (sent != 0 && t.whole && t.bytes == sent) {
                times.echoInMs.push_back(t.ms);
                times.recordBytes = sent;
            }
            sent = 0;
        }
    }
    return times;
}

double meanRecordMs(const TRecordTimes& t) {
    if (t.echoInMs.size() < 2) return 0;
    return (t.echoInMs.back() - t.echoInMs.front()) / static_cast<double>(t.echoInMs.size() - 1);
}

double lineMsPerRecord(std::size_t recordBytes, int iBaud) {
    constexpr double cBitsPerByte = 10;
    return 2.0 * static_cast<double>(recordBytes) * cBitsPerByte * 1000.0 / iBaud;
}
