// Checksums and record conversions of the logger protocol: the catalogue
// values of both CRCs, the worked command frames and bootloader records, and
// the rules by which a text record is accepted or refused.
#include "images/uConvert1V0.h"
#include "images/uImageCheck.h"
#include "session/uCommThread.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

const std::uint8_t* bytes(const std::string& s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

std::uint16_t crc16Of(const std::string& s) {
    return CRC16(bytes(s), static_cast<std::uint16_t>(s.size()));
}

std::uint8_t crc8Of(const std::string& s) {
    return CRC8(bytes(s), static_cast<std::uint16_t>(s.size()));
}

// A full record (count 0x40) as it appears in the built-in images.
const std::string cFullLine =
    ":400200006B1B69EB831C02A41063ECA3B2EB8463FE460BDC52F1AB81B8801BED5C6C32E58422532C20BE087CA8"
    "E81A4B6A248E461AA9FED6B6F86808F5469D419EED41CB1D";

// ":" + body + the checksum that makes the record's bytes sum to zero.
std::string withChecksum(const std::string& body) {
    const int cs = HexChecksum(body, static_cast<int>(body.size() / 2));
    return ":" + body + NibbleToHex(static_cast<std::uint8_t>(cs >> 4)) +
           NibbleToHex(static_cast<std::uint8_t>(cs));
}

} // namespace

TEST(Crc16, CatalogueValues) {
    EXPECT_EQ(crc16Of(""), 0xFFFF);
    EXPECT_EQ(crc16Of("abc"), 0x5749);
    EXPECT_EQ(crc16Of("123456789"), 0x4B37);
}

TEST(Crc16, OnlyTheGivenLengthCounts) {
    const std::string s = "123456789abc";
    EXPECT_EQ(CRC16(bytes(s), 9), 0x4B37);
}

TEST(Crc16, CalculateCRC16LaysOutTheIdentityLowByteFirst) {
    EXPECT_EQ(TCommThread::calculateCRC16(1, 2, 3, 4, 5), 0x48A2);
    // The same ten bytes fed to CRC16 directly.
    const std::array<std::uint8_t, 10> layout{0x21, 0x66, 0xFE, 0xFF, 21, 0, 47, 0, 0x34, 0x12};
    EXPECT_EQ(TCommThread::calculateCRC16(0x6621, 0xFFFE, 21, 47, 0x1234),
              CRC16(layout.data(), static_cast<std::uint16_t>(layout.size())));
}

TEST(Crc8, CatalogueValues) {
    EXPECT_EQ(crc8Of(""), 0);
    EXPECT_EQ(crc8Of("abc"), 0x42);
    EXPECT_EQ(crc8Of("123456789"), 0xA1);
}

TEST(Crc8, TableStartsAsTheMaximPolynomialGives) {
    // For a single byte b the CRC is the table entry for b.
    const std::uint8_t expected[8] = {0x00, 0x5E, 0xBC, 0xE2, 0x61, 0x3F, 0xDD, 0x83};
    for (std::uint8_t b = 0; b < 8; ++b)
        EXPECT_EQ(CRC8(&b, 1), expected[b]) << int(b);
}

TEST(Crc8, WorkedCommandFrames) {
    // Identify (command 1, all parameters 0) and the switch into the bootloader.
    const std::vector<std::array<std::uint8_t, 8>> frames = {
        {0x81, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xAA},
        {0x82, 0x81, 0x00, 0xA5, 0x5A, 0x00, 0x00, 0x09},
    };
    for (const auto& f : frames)
        EXPECT_EQ(CRC8(f.data(), 7), f[7]);
}

TEST(HexDigits, NibbleConversions) {
    struct Case {
        char c;
        bool ok;
        std::uint8_t value;
    };
    const Case cases[] = {{'0', true, 0},  {'9', true, 9},  {'A', true, 10}, {'F', true, 15},
                          {'a', false, 0}, {'f', false, 0}, {'G', false, 0}, {'/', false, 0},
                          {':', false, 0}, {'@', false, 0}, {' ', false, 0}, {'\0', false, 0}};
    for (const auto& c : cases) {
        std::uint8_t v = 0x77;
        EXPECT_EQ(HexToNibble(c.c, v), c.ok) << c.c;
        EXPECT_EQ(v, c.ok ? c.value : 0x77) << "value must stay unchanged on failure: " << c.c;
    }
    EXPECT_EQ(NibbleToHex(0), '0');
    EXPECT_EQ(NibbleToHex(9), '9');
    EXPECT_EQ(NibbleToHex(10), 'A');
    EXPECT_EQ(NibbleToHex(15), 'F');
    EXPECT_EQ(NibbleToHex(0xF3), '3') << "only the low four bits count";
    for (int v = 0; v < 16; ++v) {
        std::uint8_t back = 0xFF;
        ASSERT_TRUE(HexToNibble(NibbleToHex(static_cast<std::uint8_t>(v)), back));
        EXPECT_EQ(back, v);
    }
}

TEST(HexChecksum, OverWholeRecordsAndParts) {
    // Over a whole record without ':' the result is 0 when the checksum is right.
    EXPECT_EQ(HexChecksum("00000001FF", 5), 0);
    EXPECT_EQ(HexChecksum(cFullLine.substr(1), 0x45), 0);
    EXPECT_EQ(HexChecksum("0100000520DA", 6), 0);
    // Without its checksum byte the result is that checksum.
    EXPECT_EQ(HexChecksum("0100000520", 5), 0xDA);
    EXPECT_EQ(HexChecksum("00000001", 4), 0xFF);
    EXPECT_EQ(HexChecksum("", 0), 0);
    EXPECT_EQ(HexChecksum("FF01", 2), 0) << "the sum wraps modulo 256";
    // A wrong checksum gives a non-zero result.
    EXPECT_NE(HexChecksum("0100000520DB", 6), 0);
    // Only n pairs are read.
    EXPECT_EQ(HexChecksum("0102ZZ", 2), 0xFD);
    // Lower case, non-hex text and text too short for n pairs do not give 0.
    EXPECT_NE(HexChecksum("00000001ff", 5), 0);
    EXPECT_NE(HexChecksum("0000000:FF", 5), 0);
    EXPECT_NE(HexChecksum("00000001F", 5), 0);
    EXPECT_NE(HexChecksum("00", INT32_MAX), 0) << "a count far beyond the text";
    EXPECT_NE(HexChecksum("00", -1), 0);
}

TEST(BytesToWord, HighByteFirst) {
    EXPECT_EQ(BytesToWord(0x03, 0xDF), 0x03DF);
    EXPECT_EQ(BytesToWord(0xFF, 0xFF), 0xFFFF);
    EXPECT_EQ(BytesToWord(0, 0), 0);
}

TEST(BootloaderCommands, WorkedRecords) {
    struct Case {
        std::uint16_t block;
        std::uint8_t command;
        const char* line;
    };
    const Case cases[] = {{0x0000, 0x20, ":0100000520DA"},
                          {0x0000, 0x31, ":0100000531C9"},
                          {0x0000, 0x33, ":0100000533C7"},
                          {0x0040, 0x30, ":01004005308A"}};
    for (const auto& c : cases) {
        EXPECT_EQ(makeCommandRecord(c.block, c.command), c.line);

        TRecordConverter conv;
        conv.HexRecord[0] = 1;
        conv.HexRecord[1] = static_cast<std::uint8_t>(c.block >> 8);
        conv.HexRecord[2] = static_cast<std::uint8_t>(c.block & 0xFF);
        conv.HexRecord[3] = 0x05;
        conv.HexRecord[4] = c.command;
        conv.HexRecord[5] = 0x00; // a stored checksum byte is ignored
        ASSERT_TRUE(conv.RecordToLine());
        EXPECT_EQ(conv.sHexLine, c.line);
    }
}

TEST(RecordToLine, CountAboveLimitLeavesOnlyTheColon) {
    TRecordConverter conv;
    conv.sHexLine = ":0100000520DA";
    conv.HexRecord[0] = 0x41;
    EXPECT_FALSE(conv.RecordToLine());
    EXPECT_EQ(conv.sHexLine, ":");
    conv.HexRecord[0] = 0xFF;
    EXPECT_FALSE(conv.RecordToLine());
    EXPECT_EQ(conv.sHexLine, ":");
}

TEST(RecordToLine, RoundTripOfFullAndEmptyRecords) {
    for (const std::string& line : {cFullLine, std::string(":00000001FF"),
                                    std::string(":0000000000"), std::string(":01004005308A")}) {
        TRecordConverter conv;
        conv.sHexLine = line;
        ASSERT_TRUE(conv.LineToRecord()) << line;
        conv.sHexLine.clear();
        ASSERT_TRUE(conv.RecordToLine()) << line;
        EXPECT_EQ(conv.sHexLine, line);
    }
}

TEST(LineToRecord, DecodesTheFields) {
    TRecordConverter conv;
    conv.sHexLine = cFullLine;
    ASSERT_TRUE(conv.LineToRecord());
    EXPECT_EQ(conv.count(), 0x40);
    EXPECT_EQ(conv.address(), 0x0200);
    EXPECT_EQ(conv.type(), 0x00);
    EXPECT_EQ(conv.data(0), 0x6B);
    EXPECT_EQ(conv.data(0x3F), 0xCB);
    EXPECT_EQ(conv.HexRecord[0x44], 0x1D) << "checksum at index LL + 4";

    conv.sHexLine = ":01004005308A";
    ASSERT_TRUE(conv.LineToRecord());
    EXPECT_EQ(conv.count(), 1);
    EXPECT_EQ(conv.address(), 0x0040);
    EXPECT_EQ(conv.type(), 0x05);
    EXPECT_EQ(conv.data(0), 0x30);
}

// Every way a line can be refused, and the lines that pass.  The image check
// explains a refusal with describeLineFault; it must name a fault exactly
// when the conversion refuses the line.
TEST(LineToRecord, AcceptsAndRefusesAndTheFaultTextAgrees) {
    std::string fullLower = cFullLine;
    fullLower[fullLower.find_first_of("ABCDEF", 1)] += 'a' - 'A';
    std::string countLower = withChecksum("0A000000" + std::string(20, '0'));
    countLower[2] = 'a';
    // A count above 0x40 whose length and checksum fit: refused for the count.
    const std::string count41 = withChecksum("41020000" + std::string(2 * 0x41, '0'));

    struct Case {
        const char* what;
        std::string line;
        bool ok;
    };
    const std::vector<Case> cases = {
        {"end line", ":00000001FF", true},
        {"empty data record", ":0000000000", true},
        {"full built-in line", cFullLine, true},
        {"bootloader command", ":0100000520DA", true},
        {"lower-case digit in the data", fullLower, false},
        {"lower-case checksum", ":00000001ff", false},
        {"lower-case count", countLower, false},
        {"count 0x41, length and checksum fitting", count41, false},
        {"count FF", ":FF00000001", false},
        {"one character too long", cFullLine + "0", false},
        {"one character too short", cFullLine.substr(0, cFullLine.size() - 1), false},
        {"count 1 with 12 characters", ":0100000520D", false},
        {"missing colon", "00000001FF0", false},
        {"other first character", ";00000001FF", false},
        {"wrong checksum", ":00000001FE", false},
        {"wrong data byte", ":0100000521DA", false},
        {"shorter than 11", ":00000001F", false},
        {"only a colon", ":", false},
        {"empty", "", false},
        {"blank inside", ":0000 001FF", false},
        {"trailing blank", ":00000001FF ", false},
        {"carriage return left over", ":00000001FF\r", false},
        {"non-hex count", ":G0000001FF", false},
    };
    for (const auto& c : cases) {
        TRecordConverter conv;
        conv.sHexLine = c.line;
        EXPECT_EQ(conv.LineToRecord(), c.ok) << c.what << ": " << c.line;
        EXPECT_EQ(describeLineFault(c.line).empty(), c.ok)
            << c.what << ": \"" << describeLineFault(c.line) << "\"";
    }
}
