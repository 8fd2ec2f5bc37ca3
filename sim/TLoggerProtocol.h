// The logger's side of the update protocol as a state machine: bytes in,
// answer bytes out.  No I/O and no clock, so that it can be driven directly.
//
// The logger runs either its application or its bootloader:
// - Application: the identify frame (81 00 00 00 00 00 00 AA) is answered
//   with [status, 0, class hi, class lo, version major, version minor, 0,
//   CRC-8]; the switch frame (82 81 00 A5 5A 00 00 09) starts the bootloader,
//   with no answer.  Text records are ignored.
// - Bootloader: identify answers with the bootloader's class (0xC802).  Text
//   records of type 05 with one data byte are commands:
//     0x20  identity record: 6 data bytes, platform, print and info (big-endian)
//     0x30  the 64 bytes of a memory block; at the platform's identity block
//           the update class and update info (little-endian) come first
//     0x31  begin programming: 1 data byte
//     0x33  finish: no answer; the logger restarts into its application
//   Data records (count 0x40, type 00) are written and echoed verbatim.
// Frames with a wrong CRC and records with a wrong checksum get no answer.
#pragma once

#include "TLineFramer.h"
#include "TSimConfig.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TLoggerProtocol {
  public:
    explicit TLoggerProtocol(TSimConfig config);

    // Takes bytes from the line; the answers are appended to out, whole
    // frames and records, in order.
    void receive(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out);
    // The same for text (records are ASCII); answers appended to out.
    void receive(const std::string& data, std::string& out);

    // Bytes of an unfinished frame or record are waiting.
    bool hasPartialInput() const { return FFramer.hasPartial(); }
    // Forgets them (the line has been quiet too long for them to be finished).
    void dropPartialInput();

    // The line has been cut: the caller must close it; nothing more happens.
    bool lineCut() const { return FRecord.lineCut; }
    bool inBootloader() const { return FInBootloader; }
    // Block address of the identity block (slot 0 of the platform's memory map / 64).
    std::uint16_t identityBlock() const { return FIdentityBlock; }

    const TSimRecord& record() const { return FRecord; }
    const TSimConfig& config() const { return FConfig; }

  private:
    void onFrame(const TLineUnit& unit, std::vector<std::uint8_t>& out);
    void onRecord(const std::string& line, std::vector<std::uint8_t>& out);
    void onCommand(std::uint16_t block, std::uint8_t command, std::vector<std::uint8_t>& out);
    void onDataRecord(const std::string& line, std::uint16_t block, std::vector<std::uint8_t>& out);
    void answerIdentify(std::vector<std::uint8_t>& out);
    void answerRecord(std::uint16_t block, std::uint8_t type, const std::vector<std::uint8_t>& data,
                      bool bBadChecksum, std::vector<std::uint8_t>& out);
    void emit(const std::string& text, std::vector<std::uint8_t>& out);
    void syncCounters();

    TSimConfig FConfig;
    TLineFramer FFramer;
    TSimRecord FRecord;
    std::uint16_t FIdentityBlock = 0;
    bool FInBootloader = false;
    bool FRestarted = false;
    int FAnswerFrames = 0;
    int FIdentifyAnswers = 0;
    // Programming run: position of the latest data record and its text.
    int FRunPosition = 0;
    std::string FPreviousData;
    bool FCorruptFired = false;
    bool FDropFired = false;
};

// The echo of a data record with data byte 0 changed and the checksum made
// right again: it passes the line check and still differs from the record.
std::string corruptEcho(const std::string& line);
