// Splits the byte stream that reaches the logger into command frames and text
// records.
//
// A command frame is 8 raw bytes: the command code with bit 7 set (or 0 for
// the null frame that wakes the line), six parameters and a CRC-8.  A text
// record is ":" LL AAAA TT <data> CC in upper-case hex, 2 * LL + 11
// characters, with no line end.  ':' (0x3A) never begins a frame, so the first
// byte decides: ':' starts a record, a byte with bit 7 set or 0 starts a frame,
// anything else is noise and skipped.
//
// Resynchronisation: an 8-byte window whose CRC does not match is not taken
// as a frame; only its first byte is dropped and the search goes on at the
// next one, so a frame that follows stray bytes is still found.  A record
// candidate is abandoned at the first character that cannot belong to it (a
// count above 0x40, a character that is not an upper-case hex digit, a new
// ':'), and the search goes on at that character.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TLineUnit {
    enum class EKind { Frame, Record };
    EKind kind = EKind::Frame;
    std::array<std::uint8_t, 8> frame{}; // kind Frame
    std::string record;                  // kind Record: the characters as they arrived
};

class TLineFramer {
  public:
    // Takes n bytes; every unit completed by them is appended to units.
    void push(const std::uint8_t* data, std::size_t n, std::vector<TLineUnit>& units);

    // True while bytes wait that do not yet make a whole unit.
    bool hasPartial() const { return !FPending.empty(); }
    // Forgets the bytes of an unfinished unit (counted as skipped).
    void dropPartial();

    // Bytes that belonged to no unit.
    int skippedBytes() const { return FSkipped; }
    // 8-byte windows rejected for their CRC (overlapping windows count once).
    int badFrames() const { return FBadFrames; }

  private:
    enum class EStep { NeedMore, Progress };
    EStep scanRecord(std::vector<TLineUnit>& units);
    EStep scanFrame(std::vector<TLineUnit>& units);
    void consume(std::size_t n, bool bSkipped);

    std::string FPending;    // bytes not yet part of a unit
    std::size_t FShadow = 0; // leading bytes that lie inside a rejected window
    int FSkipped = 0;
    int FBadFrames = 0;
};
