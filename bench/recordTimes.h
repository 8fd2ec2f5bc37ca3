// The pace of the record exchanges, read from the byte trace that
// tarvek2-cli writes with TARVEK2_TRACE: each data record goes out as one
// write and comes back as one read of as many bytes (the logger's echo).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TRecordTimes {
    // When each record's echo was in, in ms since the port was opened (the
    // trace's time stamps, whole milliseconds), in order.
    std::vector<double> echoInMs;
    std::size_t recordBytes = 0; // the bytes of one record, and of its echo
};

// The record exchanges of the trace: a write of at least cMinRecordBytes
// followed by a whole read of as many bytes.  Empty when the file cannot be
// read.
TRecordTimes readRecordTimes(const std::string& sTracePath);

// The mean time from one record's echo to the next; 0 with fewer than two.
double meanRecordMs(const TRecordTimes& t);

// The time a record and its echo take on the line at iBaud: both ways, 10
// bits a byte (start bit, 8 data bits, stop bit).
double lineMsPerRecord(std::size_t recordBytes, int iBaud);
