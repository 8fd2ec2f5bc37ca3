// Image files an operator might pick by mistake, or that arrive damaged:
// empty, a header alone, binary garbage, far too large, one enormous line,
// UTF-16 text, old Mac line ends, and headers written with every integer form
// the reader accepts.  Each row states what the load says (result and text),
// what the whole-image check says, and, for the files that load, how an
// update from that file ends; no data record may reach the logger unless
// the image is good.
#include "fake_clock.h"
#include "images/uImageCheck.h"
#include "images/uImageFile.h"
#include "notify_recorder.h"
#include "scripted_logger.h"
#include "session/uExceptions1V0.h"
#include "session/uTarvekCommThread.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// Notifications as kind/value in failure messages.
void PrintTo(const TNotification& n, std::ostream* os) {
    *os << "{kind " << n.kind << ", value " << n.value << "}";
}

namespace {

const std::string cNotAnInteger = "' ist kein g\xC3\xBCltiger Integerwert";
const std::string cEnd = ":00000001FF";
const TBl3FileHeader cStale{111, 112, 113, 114, 115, "stale", 116, 117};

const std::vector<std::string> cHeader38 = {
    "bootloader=3", "bootloader version=0", "class=26145", "versionH=2",
    "versionL=8",   "platform=21",          "print=38",    "date=01.12.2021 09:05:00",
};
const TBl3FileHeader cHeader38Value{26145, 2, 8, 21, 38, "01.12.2021 09:05:00", 3, 0};

std::string dataLine(std::uint16_t block, std::uint8_t fill) {
    return TScriptedLogger::record(block, 0x00, std::vector<std::uint8_t>(64, fill));
}

// A good image: two records, the vector table, the end line.
const std::vector<std::string> cImage = {dataLine(0x0000, 0x11), dataLine(0x0001, 0x22),
                                         dataLine(0x03DF, 0x33), cEnd};

std::string joined(const std::vector<std::string>& lines, const std::string& eol = "\r\n") {
    std::string s;
    for (const auto& l : lines)
        s += l + eol;
    return s;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The text as Windows writes "Unicode" files: a byte-order mark, then two
// bytes per character.
std::string utf16(const std::string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text) {
        if (bigEndian) out += '\0';
        out += c;
        if (!bigEndian) out += '\0';
    }
    return out;
}

std::string garbage(std::size_t n) {
    std::string s(n, '\0');
    std::uint32_t x = 0x2545F491;
    for (auto& c : s) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

// How an update from the loaded file ends, and what it wrote.
struct TUpdate {
    TNotification final;
    std::vector<TNotification> notes;
    std::vector<std::string> dataWritten;
};

TUpdate updateFrom(const TBl3FileHeader& header, const std::vector<std::string>& lines) {
    TFakeClock clock;
    TScriptedLogger logger(clock);
    TNotifyRecorder rec;
    TFWCatalog catalog;
    catalog.FileHeader = header;
    catalog.FileLines = lines;
    catalog.iSelectedFW = 0;
    std::atomic<bool> cancel{false};
    CommThreadClass(
        {&rec, TCmd::tCMD0, "COM5", &catalog, TSessionSettings{}, &cancel, &clock, logger.opener()})
        ->Execute();
    TUpdate u{rec.last(), rec.snapshot(), {}};
    for (const auto& ex : logger.log)
        if (ex.kind == TExchange::dataRecord) u.dataWritten.push_back(ex.written);
    EXPECT_EQ(rec.finals(), 1);
    EXPECT_FALSE(logger.open) << "the port is released";
    return u;
}

class BadImageFiles : public TempFolderTest {};

} // namespace

TEST_F(BadImageFiles, EachFileGetsAClearVerdictAndNothingUncheckedIsWritten) {
    const std::string tenMegabytes(10u * 1024u * 1024u, 'A');
    const TImageLoadResult ok = TImageLoadResult::ok;
    const TImageLoadResult badHeader = TImageLoadResult::badHeader;
    // Every integer form that fits the logger: blanks, signs, decimal, and
    // hex after "$", "x", "X", "0x", "0X" in either case.
    const std::vector<std::string> formsThatFit = {
        "bootloader=3",  "bootloader version=  +0", "class=$6621", "versionH=x2",
        "versionL=0x0a", "platform=0X15",           "print=X26",   "date=",
    };
    const TBl3FileHeader formsThatFitValue{0x6621, 2, 10, 21, 38, "", 3, 0};
    // Forms whose low 16 bits make codes no logger reports.
    const std::vector<std::string> formsThatWrap = {
        "bootloader=3",       "bootloader version=-1", "class=70000",   "versionH=-0X10",
        "versionL=$7FFFFFFF", "platform=-2147483648",  "print= 0xfFfF", "date=x",
    };
    const TBl3FileHeader formsThatWrapValue{4464, 0xFFF0, 0xFFFF, 0, 0xFFFF, "x", 3, 0xFFFF};

    struct Case {
        const char* what;
        std::function<std::string()> make; // writes the file, returns its path
        TImageLoadResult result;
        std::string error;                    // exact text; "*..." a text that ends so
        std::optional<TBl3FileHeader> header; // after the load (cStale before)
        int lines;                            // lines of the image, -1 when not loaded
        bool checkOk;
        int badLine;                        // first line that does not convert
        std::optional<TNotification> final; // the update's end, for files that load
    };
    const std::vector<Case> cases = {
        {"empty file", [&] { return write("empty.txt", ""); }, badHeader, "'" + cNotAnInteger,
         std::nullopt, -1, false, -1, std::nullopt},
        {"only a header", [&] { return write("header.txt", joined(cHeader38)); }, ok, "",
         cHeader38Value, 0, false, -1, TNotification{cNT_ABORT, cEX_LAST_LINE}},
        {"binary garbage", [&] { return write("garbage.bin", garbage(64 * 1024)); }, badHeader,
         "'" + cNotAnInteger, std::nullopt, -1, false, -1, std::nullopt},
        {"binary garbage between a good header and the end line",
         [&] {
             return write("middle.bin", joined(cHeader38) + garbage(64 * 1024) + "\r\n" + cEnd);
         },
         ok, "", cHeader38Value, -2, false, 0, TNotification{cNT_ABORT, cEX_CONVERSION}},
        {"100 MB file",
         [&] {
             const auto path = write("huge.txt", joined(cHeader38 + cImage));
             fs::resize_file(path, 100u * 1024u * 1024u); // sparse: nothing is stored
             return path;
         },
         TImageLoadResult::tooLarge, "*(104857600 bytes)", cStale, -1, false, -1, std::nullopt},
        {"a single 10 MB line and nothing else", [&] { return write("line.txt", tenMegabytes); },
         badHeader, "'" + cNotAnInteger, std::nullopt, -1, false, -1, std::nullopt},
        {"a single 10 MB data line",
         [&] { return write("data.txt", joined(cHeader38) + tenMegabytes + "\r\n" + cEnd); }, ok,
         "", cHeader38Value, 2, false, 0, TNotification{cNT_ABORT, cEX_CONVERSION}},
        {"a 10 MB header value",
         [&] {
             return write("value.txt", "bootloader=3\r\nbootloader version=0\r\nclass=" +
                                           tenMegabytes + "\r\n" + joined(cImage));
         },
         badHeader, "'" + tenMegabytes + cNotAnInteger, std::nullopt, -1, false, -1, std::nullopt},
        {"UTF-16 little-endian with BOM",
         [&] { return write("le.txt", utf16(joined(cHeader38 + cImage), false)); }, badHeader,
         "'" + cNotAnInteger, std::nullopt, -1, false, -1, std::nullopt},
        {"UTF-16 big-endian with BOM",
         [&] { return write("be.txt", utf16(joined(cHeader38 + cImage), true)); }, badHeader,
         "'" + cNotAnInteger, std::nullopt, -1, false, -1, std::nullopt},
        {"CR-only line ends", [&] { return write("cr.txt", joined(cHeader38 + cImage, "\r")); },
         badHeader, "'" + cNotAnInteger, std::nullopt, -1, false, -1, std::nullopt},
        {"every integer form, fitting the logger",
         [&] { return write("forms.txt", joined(formsThatFit + cImage)); }, ok, "",
         formsThatFitValue, 4, true, -1, TNotification{cNT_DONE, 0}},
        {"every integer form, wrapped to codes no logger has",
         [&] { return write("wrapped.txt", joined(formsThatWrap + cImage)); }, ok, "",
         formsThatWrapValue, 4, true, -1, TNotification{cNT_ABORT, cEX_UPID_MISMATCH}},
        {"a number beyond the signed 32-bit range",
         [&] {
             auto h = cHeader38;
             h[2] = "class=$80000000";
             return write("range.txt", joined(h + cImage));
         },
         badHeader, "'$80000000" + cNotAnInteger, std::nullopt, -1, false, -1, std::nullopt},
        {"a device that never ends", [] { return std::string("/dev/zero"); },
         TImageLoadResult::cannotOpen, "cannot open \"/dev/zero\"", cStale, -1, false, -1,
         std::nullopt},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = c.make();
        TBl3FileHeader header = cStale;
        std::vector<std::string> lines = {"stale line"};
        const TImageLoad load = loadImageFile(path, header, lines);

        EXPECT_EQ(load.result, c.result);
        const bool tailOnly = c.error.starts_with('*');
        const std::string error = tailOnly ? c.error.substr(1) : c.error;
        EXPECT_TRUE(tailOnly ? load.error.ends_with(error) : load.error == error)
            << load.error.substr(0, 200);
        if (c.header) {
            EXPECT_EQ(header, *c.header);
        }
        if (c.result != ok) {
            EXPECT_TRUE(lines.empty()) << "a file that does not load gives no lines";
            continue;
        }
        if (c.lines >= 0) {
            EXPECT_EQ(lines.size(), static_cast<std::size_t>(c.lines));
        }

        const int last = static_cast<int>(lines.size()) - 1;
        const auto check = checkImage(last, [&](int i, std::string& s) {
            if (i < 0 || i > last) return false;
            s = lines[static_cast<std::size_t>(i)];
            return true;
        });
        EXPECT_EQ(check.ok, c.checkOk);
        EXPECT_EQ(check.badLine, c.badLine);
        if (c.badLine >= 0) {
            EXPECT_FALSE(check.badReason.empty());
        }

        ASSERT_TRUE(c.final.has_value());
        const TUpdate update = updateFrom(header, lines);
        EXPECT_EQ(update.final, *c.final);
        if (c.checkOk && update.final.kind == cNT_DONE) {
            EXPECT_EQ(update.dataWritten,
                      (std::vector<std::string>{cImage[0], cImage[1], cImage[2]}));
        } else {
            EXPECT_TRUE(update.dataWritten.empty()) << "no data record for an image that fails";
        }
        if (c.badLine >= 0) {
            EXPECT_EQ(update.notes[update.notes.size() - 2],
                      (TNotification{cNT_CONV_ERROR_LINE, c.badLine}));
        }
    }
}
