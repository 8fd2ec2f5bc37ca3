// The header reader of update images: integer conversion of header values,
// splitting key=value lines and reading the eight header lines from a stream.
// Reading whole image files is covered in test_image_file.cpp.
#include "images/uFWVersions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string cNotAnInteger = "' ist kein g\xC3\xBCltiger Integerwert";

// The header of the print-38 image with the class line replaced.
std::string headerWithClassLine(const std::string& classLine) {
    return "bootloader=3\nbootloader version=0\n" + classLine +
           "\nversionH=2\nversionL=8\nplatform=21\nprint=38\ndate=01.12.2021 09:05:00\n";
}

} // namespace

// One table for the integer conversion of header values.  Each row is checked
// three ways: tryStrToInt (the 32-bit number), strToInt (the German error
// text) and a header whose class line carries the value (the low 16 bits).
TEST(HeaderInteger, ConversionTable) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value; // empty: conversion failure
        std::uint16_t field;               // the low 16 bits in a header field
    };
    const Case cases[] = {
        {"26145", 26145, 26145},
        {"0", 0, 0},
        {"007", 7, 7},
        {"   26145", 26145, 26145},
        {"+5", 5, 5},
        {"-1", -1, 0xFFFF},
        {"  -1", -1, 0xFFFF},
        {"70000", 70000, 4464},
        {"$6621", 0x6621, 26145},
        {"$6a21", 0x6A21, 0x6A21},
        {"x1F", 31, 31},
        {"X1f", 31, 31},
        {"0x1F", 31, 31},
        {"0X1f", 31, 31},
        {"-$10", -16, 0xFFF0},
        {"-0x10", -16, 0xFFF0},
        {" +$FF", 255, 255},
        {"2147483647", 2147483647, 0xFFFF},
        {"-2147483648", INT32_MIN, 0},
        {"$7FFFFFFF", 2147483647, 0xFFFF},
        {"2147483648", std::nullopt, 0},
        {"-2147483649", std::nullopt, 0},
        {"99999999999", std::nullopt, 0},
        {"$100000000", std::nullopt, 0},
        {"26145 ", std::nullopt, 0},
        {"", std::nullopt, 0},
        {"   ", std::nullopt, 0},
        {"+", std::nullopt, 0},
        {"-", std::nullopt, 0},
        {"+-5", std::nullopt, 0},
        {"- 5", std::nullopt, 0},
        {"$", std::nullopt, 0},
        {"0x", std::nullopt, 0},
        {"$G1", std::nullopt, 0},
        {"1A", std::nullopt, 0},
        {"3.0", std::nullopt, 0},
        {"12 3", std::nullopt, 0},
        {"1e3", std::nullopt, 0},
        {"0x-5", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("value \"") + c.text + "\"");
        std::int32_t value = 4711;
        EXPECT_EQ(tryStrToInt(c.text, value), c.value.has_value());
        EXPECT_EQ(value, c.value.value_or(4711)) << "a failure leaves the value alone";

        TBl3FileHeader header{};
        header.vorn_class = 0x1234;
        std::istringstream in(headerWithClassLine(std::string("class=") + c.text));
        if (c.value) {
            EXPECT_EQ(strToInt(c.text), *c.value);
            EXPECT_TRUE(readFileHeader(in, header));
            EXPECT_EQ(header.vorn_class, c.field);
        } else {
            try {
                strToInt(c.text);
                ADD_FAILURE() << "strToInt accepted the value";
            } catch (const EConvertError& e) {
                EXPECT_EQ(e.what(), "'" + std::string(c.text) + cNotAnInteger);
            }
            EXPECT_THROW(readFileHeader(in, header), EConvertError);
            EXPECT_EQ(header.vorn_class, 0x1234) << "the failing field keeps its old value";
        }
    }
}

TEST(HeaderLine, SplitTakesEverythingAfterTheFirstEquals) {
    struct Case {
        const char* line;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"class=26145", "class", "26145"},
        {"class=", "class", ""},
        {"class= 26145 ", "class", " 26145 "},
        {"date=a=b", "date", "a=b"},
        {"bootloader version=0", "bootloader version", "0"},
        {"bootloader version=0", "bootloader", ""},
        {"bootloader=3", "bootloader version", ""},
        {"class =26145", "class", ""},
        {" class=26145", "class", ""},
        {"Class=26145", "class", ""},
        {"classes=26145", "class", ""},
        {"clas=26145", "class", ""},
        {"class26145", "class", ""},
        {"", "class", ""},
        {"=5", "", "5"},
    };
    for (const auto& c : cases) {
        std::string value = "left over";
        splitHeaderLine(c.line, c.key, value);
        EXPECT_EQ(value, c.value) << "line \"" << c.line << "\", key \"" << c.key << "\"";
    }
}

TEST(HeaderRead, ReadsTheEightLinesInOrderAndStopsThere) {
    std::istringstream in("bootloader=3\r\nbootloader version=1\r\nclass=$6621\r\nversionH=2\r\n"
                          "versionL=8\r\nplatform=21\r\nprint=47\r\ndate=01.12.2021 09:05:06\r\n"
                          ":00000001FF\r\n");
    TBl3FileHeader header{};
    ASSERT_TRUE(readFileHeader(in, header));
    const TBl3FileHeader expected{0x6621, 2, 8, 21, 47, "01.12.2021 09:05:06", 3, 1};
    EXPECT_EQ(header, expected);
    std::string rest;
    ASSERT_TRUE(readTextLine(in, rest));
    EXPECT_EQ(rest, ":00000001FF") << "the reader leaves the stream after the eighth line";
}

TEST(HeaderRead, EmptyInputFailsAtTheFirstIntegerAfterSettingTheBootloader) {
    std::istringstream in("");
    TBl3FileHeader header{};
    header.vorn_bl = 3;
    try {
        readFileHeader(in, header);
        FAIL() << "an empty file has no header";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.what(), "'" + cNotAnInteger);
    }
    EXPECT_EQ(header.vorn_bl, 0xFFFF);
}

TEST(HeaderRead, TextLinesEndAtLfOrCrLf) {
    std::istringstream in("a\r\nb\n\r\n\nc\r\nd");
    std::string line;
    std::vector<std::string> lines;
    while (readTextLine(in, line))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "", "", "c", "d"}));
    EXPECT_TRUE(line.empty()) << "a read at the end of the input gives an empty line";
}
