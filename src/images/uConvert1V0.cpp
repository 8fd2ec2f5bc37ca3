#include "images/uConvert1V0.h"

namespace {

constexpr std::array<std::uint8_t, 256> makeCrc8Table() {
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        std::uint8_t v = static_cast<std::uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            v = (v & 1) ? static_cast<std::uint8_t>((v >> 1) ^ 0x8C)
                        : static_cast<std::uint8_t>(v >> 1);
        table[i] = v;
    }
    return table;
}

constexpr auto cCrc8Table = makeCrc8Table();
static_assert(cCrc8Table[1] == 0x5E && cCrc8Table[2] == 0xBC && cCrc8Table[7] == 0x83);

bool hexByte(char high, char low, std::uint8_t& value) {
    std::uint8_t h = 0, l = 0;
    if (!HexToNibble(high, h) || !HexToNibble(low, l)) return false;
    value = static_cast<std::uint8_t>(h << 4 | l);
    return true;
}

} // namespace

std::uint16_t CRC16(const std::uint8_t* block, std::uint16_t length) {
    std::uint16_t crc = 0xFFFF;
    for (std::uint16_t i = 0; i < length; ++i) {
        crc ^= block[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

std::uint8_t CRC8(const std::uint8_t* block, std::uint16_t length) {
    std::uint8_t v = 0;
    for (std::uint16_t i = 0; i < length; ++i)
        v = cCrc8Table[v ^ block[i]];
    return v;
}

bool HexToNibble(char c, std::uint8_t& value) {
    if (c >= '0' && c <= '9')
        value = static_cast<std::uint8_t>(c - '0');
    else if (c >= 'A' && c <= 'F')
        value = static_cast<std::uint8_t>(c - 'A' + 10);
    else
        return false;
    return true;
}

char NibbleToHex(std::uint8_t value) {
    value &= 0x0F;
    return static_cast<char>(value < 10 ? '0' + value : 'A' + value - 10);
}

int HexChecksum(std::string_view text, int n) {
    if (n < 0 || text.size() < 2 * static_cast<std::size_t>(n)) return -1;
    unsigned sum = 0;
    for (int k = 0; k < n; ++k) {
        std::uint8_t b = 0;
        if (!hexByte(text[2 * k], text[2 * k + 1], b)) return -1;
        sum += b;
    }
    return static_cast<int>((256 - (sum & 0xFF)) & 0xFF);
}

bool TRecordConverter::RecordToLine() {
    sHexLine.assign(1, ':');
    const std::uint8_t ll = HexRecord[0];
    if (ll > 0x40) return false;
    unsigned sum = 0;
    for (int i = 0; i < ll + 4; ++i) {
        sum += HexRecord[i];
        sHexLine += NibbleToHex(HexRecord[i] >> 4);
        sHexLine += NibbleToHex(HexRecord[i]);
    }
    const auto checksum = static_cast<std::uint8_t>(256 - (sum & 0xFF));
    sHexLine += NibbleToHex(checksum >> 4);
    sHexLine += NibbleToHex(checksum);
    return true;
}

bool TRecordConverter::LineToRecord() {
    const std::string& s = sHexLine;
    if (s.size() < 11 || s[0] != ':') return false;
    if (!hexByte(s[1], s[2], HexRecord[0])) return false;
    const int ll = HexRecord[0];
    if (ll > 0x40) return false;
    if (s.size() != static_cast<std::size_t>(2 * ll + 11)) return false;
    unsigned sum = HexRecord[0];
    for (int k = 1; k <= ll + 4; ++k) {
        // Characters 2k+2 and 2k+3, counted from 1.
        if (!hexByte(s[2 * k + 1], s[2 * k + 2], HexRecord[k])) return false;
        sum += HexRecord[k];
    }
    return (sum & 0xFF) == 0;
}

std::string makeRecord(std::uint16_t blockAddress, std::uint8_t type,
                       const std::vector<std::uint8_t>& data) {
    if (data.size() > 0x40) return {};
    TRecordConverter conv;
    conv.HexRecord[0] = static_cast<std::uint8_t>(data.size());
    conv.HexRecord[1] = static_cast<std::uint8_t>(blockAddress >> 8);
    conv.HexRecord[2] = static_cast<std::uint8_t>(blockAddress & 0xFF);
    conv.HexRecord[3] = type;
    for (std::size_t i = 0; i < data.size(); ++i)
        conv.HexRecord[4 + i] = data[i];
    conv.RecordToLine();
    return conv.sHexLine;
}

std::string makeCommandRecord(std::uint16_t blockAddress, std::uint8_t command) {
    return makeRecord(blockAddress, 0x05, {command});
}
