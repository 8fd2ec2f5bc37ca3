// An in-memory Tarvek2 on the other end of a fake port.  It answers what the
// updater writes as the logger's application and bootloader would, and lets
// a test change or drop any answer and fail any port call.  Time only passes
// on the fake clock: a read that comes up short costs its full time-out.
#pragma once

#include "fake_clock.h"
#include "images/uConvert1V0.h"
#include "images/uFWVersions.h"
#include "serial/uRS232.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TScriptedIdentity {
    std::uint16_t appClass = 0x6621;
    std::uint16_t appVersion = 0x0207;
    std::uint16_t blVersion = 0x0300;
    bool inBootloader = false;
    bool staysInApp = false;
    std::uint16_t platform = 21;
    std::uint16_t print = 38;
    std::uint16_t info = 0x0102;
    std::uint16_t updateClass = 0x6621;
    std::uint16_t updateInfo = 0xFFFE;
    std::uint16_t classAfterRestart = 0x6621;
};

// One exchange as the port saw it.
struct TExchange {
    enum Kind { nullFrame, identify, switchFrame, otherFrame, blCommand, dataRecord, garbage };
    Kind kind = garbage;
    std::string written;      // the bytes written, as text
    std::string answer;       // what the logger sends back (a test may change it)
    std::uint8_t command = 0; // frame command or bootloader command byte
    std::uint16_t block = 0;  // record block address
    int recordIndex = -1;     // for data records: 0, 1, ... in order of arrival
};

class TScriptedLogger {
  public:
    explicit TScriptedLogger(TFakeClock& clock, TScriptedIdentity id = {}) : clock(clock), id(id) {}

    // Called with every exchange before its answer is queued; may change
    // ex.answer (an empty answer is silence).
    std::function<void(TExchange&)> fault;

    // Port call failures, counted down: the n-th call of that kind fails
    // (1 = the next one); 0 never.
    int failClearAt = 0, failPurgeAt = 0, failWriteAt = 0, failReadAt = 0;
    // Write only part of the bytes on the n-th write.
    int shortWriteAt = 0;

    TFakeClock& clock;
    TScriptedIdentity id;
    bool switched = false;  // the switch frame moved it into the bootloader
    bool restarted = false; // the finish record restarted it into the application
    bool inBootloader() const { return (id.inBootloader || switched) && !restarted; }
    std::vector<TExchange> log;
    std::vector<std::uint16_t> writtenBlocks;
    int opens = 0, closes = 0;
    bool open = false;

    // The opener a session is given: every open hands out a port on this logger.
    TPortOpener opener();
    // An opener that always fails: the port is missing.
    static TPortOpener failingOpener();

    std::string pending; // bytes waiting to be read
    int clears = 0, purges = 0, writes = 0, reads = 0;

    void handleWrite(const std::string& bytes);
    static std::string frame(std::uint8_t status, std::uint16_t cls, std::uint16_t version);
    static std::string record(std::uint16_t block, std::uint8_t type,
                              const std::vector<std::uint8_t>& data);
};
