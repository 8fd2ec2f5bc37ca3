// Conversions between text records (":LLAAAATT<data>CC", upper-case hex) and
// their bytes, and the two checksums of the logger protocol.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// CRC-16/MODBUS: polynomial 0xA001 (reflected), start 0xFFFF.
std::uint16_t CRC16(const std::uint8_t* block, std::uint16_t length);
// CRC-8/MAXIM: polynomial 0x8C (reflected), start 0, table driven.
std::uint8_t CRC8(const std::uint8_t* block, std::uint16_t length);

// "0"-"9", "A"-"F" only; false (value unchanged) for anything else.
bool HexToNibble(char c, std::uint8_t& value);
// Low four bits as an upper-case hex digit.
char NibbleToHex(std::uint8_t value);

// Reads n bytes from 2n hex characters of text and returns the two's
// complement of their sum (0..255); over a whole record without its ":" the
// result is 0 exactly when the checksum is right.  Returns -1 when the text
// is too short or holds a character that is not an upper-case hex digit.
int HexChecksum(std::string_view text, int n);

inline std::uint16_t BytesToWord(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>(high * 256 + low);
}

// The current record as text and as bytes.  HexRecord: [0] count LL,
// [1] [2] block address high and low, [3] type, then LL data bytes and the
// checksum at [LL + 4].  One instance per session.
struct TRecordConverter {
    std::string sHexLine;
    std::array<std::uint8_t, 260> HexRecord{};

    // HexRecord to sHexLine, with a freshly computed checksum.  False (and
    // sHexLine ":") when LL is above 0x40.
    bool RecordToLine();
    // sHexLine to HexRecord.  True when the line is well formed and its bytes
    // sum to zero; HexRecord may be partly overwritten on failure.
    bool LineToRecord();

    std::uint8_t count() const { return HexRecord[0]; }
    std::uint16_t address() const { return BytesToWord(HexRecord[1], HexRecord[2]); }
    std::uint8_t type() const { return HexRecord[3]; }
    std::uint8_t data(int k) const { return HexRecord[4 + k]; }
};

// A record of the given block address, type and data bytes (at most 0x40),
// with its checksum; empty when there are too many data bytes.
std::string makeRecord(std::uint16_t blockAddress, std::uint8_t type,
                       const std::vector<std::uint8_t>& data);

// A one-byte bootloader command record: count 1, block address, type 05.
std::string makeCommandRecord(std::uint16_t blockAddress, std::uint8_t command);
