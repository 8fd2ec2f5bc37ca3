// The updater's side of the line, built from the core's own helpers, to drive
// the simulated logger in tests.
#pragma once

#include "images/uConvert1V0.h"
#include "images/uFWCatalog.h"
#include "images/uFWVersions.h"
#include "write_order.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace simtraffic {

using TBytes = std::vector<std::uint8_t>;

inline TBytes commandFrame(std::uint8_t command, std::array<std::uint8_t, 6> params = {}) {
    TBytes f{static_cast<std::uint8_t>(command | 0x80)};
    f.insert(f.end(), params.begin(), params.end());
    f.push_back(CRC8(f.data(), 7));
    return f;
}
inline TBytes nullFrame() {
    return TBytes(8, 0);
}
inline TBytes identifyFrame() {
    return commandFrame(1);
}
inline TBytes switchFrame() {
    return commandFrame(2, {0x81, 0x00, 0xA5, 0x5A, 0x00, 0x00});
}

inline std::string text(const TBytes& b) {
    return std::string(b.begin(), b.end());
}

// An identify answer frame as the logger should send it.
inline TBytes answerFrame(std::uint16_t cls, std::uint8_t major, std::uint8_t minor,
                          std::uint8_t status = 0) {
    TBytes a{status,
             0,
             static_cast<std::uint8_t>(cls >> 8),
             static_cast<std::uint8_t>(cls & 0xFF),
             major,
             minor,
             0};
    a.push_back(CRC8(a.data(), 7));
    return a;
}

// Converts an answer record; false when it does not convert.
inline bool convert(const std::string& line, TRecordConverter& conv) {
    conv.sHexLine = line;
    return conv.LineToRecord();
}

inline std::uint16_t identityBlock(std::uint16_t platform) {
    return static_cast<std::uint16_t>(getMemoryMap(platform)[0].first / 64);
}

// The data records of a built-in image in the order the updater sends them.
inline std::vector<std::string> recordsToSend(int slot) {
    return recordsInWriteOrder(slot);
}

} // namespace simtraffic
