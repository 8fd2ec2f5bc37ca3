// Loading update images from text files: the header pass, the line list
// (every line without "="), line breaks, and files that cannot be loaded.
#include "images/uImageFile.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string cNotAnInteger = "' ist kein g\xC3\xBCltiger Integerwert";
const std::string cEnd = ":00000001FF";
const std::string cData0 = ":0100000520DA";
const std::string cData1 = ":0100000531C9";

const std::vector<std::string> cHeader38 = {
    "bootloader=3", "bootloader version=0", "class=26145", "versionH=2",
    "versionL=8",   "platform=21",          "print=38",    "date=01.12.2021 09:05:00",
};
const TBl3FileHeader cHeader38Value{26145, 2, 8, 21, 38, "01.12.2021 09:05:00", 3, 0};
// What the caller's header holds before a load; a failed load leaves the
// fields from the failing line on as they were.
const TBl3FileHeader cStale{111, 112, 113, 114, 115, "stale", 116, 117};

std::string joined(const std::vector<std::string>& lines, const std::string& eol = "\n") {
    std::string s;
    for (const auto& l : lines)
        s += l + eol;
    return s;
}

// The print-38 header with line `index` replaced (or removed when empty).
std::vector<std::string> header38With(std::size_t index, std::optional<std::string> line) {
    auto h = cHeader38;
    if (line)
        h[index] = *line;
    else
        h.erase(h.begin() + static_cast<std::ptrdiff_t>(index));
    return h;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ImageFile : public TempFolderTest {};

} // namespace

// One table for the file cases: what the header becomes, which lines the
// image gets, and the error text of a header that does not read.
TEST_F(ImageFile, HeaderAndLineTable) {
    TBl3FileHeader bl0xFFFF = cHeader38Value;
    bl0xFFFF.vorn_bl = 0xFFFF;
    TBl3FileHeader bl2 = cHeader38Value;
    bl2.vorn_bl = 2;
    TBl3FileHeader noDate = cHeader38Value;
    noDate.vorn_date.clear();
    TBl3FileHeader hexClass = cHeader38Value;
    hexClass.vorn_class = 0x6621;
    TBl3FileHeader oddDate = cHeader38Value;
    oddDate.vorn_date = " 01.12.2021 09:05:00 =x ";
    // Failing at "class": only the two bootloader fields are new.
    TBl3FileHeader failAtClass = cStale;
    failAtClass.vorn_bl = 3;
    failAtClass.vorn_bl_ver = 0;
    // Failing at "platform": five fields are new.
    TBl3FileHeader failAtPlatform = failAtClass;
    failAtPlatform.vorn_class = 26145;
    failAtPlatform.vorn_verH = 2;
    failAtPlatform.vorn_verL = 8;
    // A header cut short after three lines fails at "versionH".
    TBl3FileHeader failAtVersionH = failAtClass;
    failAtVersionH.vorn_class = 26145;
    TBl3FileHeader failAtPrint = failAtPlatform;
    failAtPrint.vorn_platform = 21;

    const std::vector<std::string> image = {cData0, cData1, cEnd};
    const std::vector<std::string> endOnly = {cEnd};
    const std::vector<std::string> withBlank = {cData0, "", cData1, cEnd};
    const std::vector<std::string> withNote = {cData0, "note=x", cData1, cEnd};
    const std::vector<std::string> noLines;
    struct Case {
        const char* what;
        std::string content;
        TImageLoadResult result;
        std::string error;
        TBl3FileHeader header;
        std::vector<std::string> lines;
    };
    const TImageLoadResult ok = TImageLoadResult::ok;
    const TImageLoadResult bad = TImageLoadResult::badHeader;
    const std::vector<Case> cases = {
        {"LF", joined(cHeader38 + image), ok, "", cHeader38Value, image},
        {"CR LF", joined(cHeader38 + image, "\r\n"), ok, "", cHeader38Value, image},
        {"mixed line breaks",
         "bootloader=3\r\nbootloader version=0\nclass=26145\r\nversionH=2\n"
         "versionL=8\r\nplatform=21\nprint=38\r\ndate=01.12.2021 09:05:00\n" +
             cData0 + "\r\n" + cData1 + "\n" + cEnd + "\r\n",
         ok, "", cHeader38Value, image},
        {"no line break after the end line",
         joined(cHeader38 + image).substr(0, joined(cHeader38 + image).size() - 1), ok, "",
         cHeader38Value, image},
        {"blank line after the end line", joined(cHeader38 + image + std::vector<std::string>{""}),
         ok, "", cHeader38Value, image + std::vector<std::string>{""}},
        {"empty line between data lines", joined(cHeader38 + withBlank), ok, "", cHeader38Value,
         withBlank},
        {"note=x after the header", joined(cHeader38 + withNote), ok, "", cHeader38Value, image},
        {"only the header and the end line", joined(cHeader38 + endOnly), ok, "", cHeader38Value,
         endOnly},
        {"class = 26145", joined(header38With(2, "class = 26145") + image), bad,
         "'" + cNotAnInteger, failAtClass, noLines},
        {"class=26145 with a trailing blank", joined(header38With(2, "class=26145 ") + image), bad,
         "'26145 " + cNotAnInteger, failAtClass, noLines},
        {"class= 26145", joined(header38With(2, "class= 26145") + image), ok, "", cHeader38Value,
         image},
        {"class=$6621", joined(header38With(2, "class=$6621") + image), ok, "", hexClass, image},
        {"Bootloader=3", joined(header38With(0, "Bootloader=3") + image), ok, "", bl0xFFFF, image},
        {"bootloader=3.0", joined(header38With(0, "bootloader=3.0") + image), ok, "", bl0xFFFF,
         image},
        {"bootloader= 3", joined(header38With(0, "bootloader= 3") + image), ok, "", bl0xFFFF,
         image},
        {"bootloader=2", joined(header38With(0, "bootloader=2") + image), ok, "", bl2, image},
        {"missing date line", joined(header38With(7, std::nullopt) + image), ok, "", noDate, image},
        {"date kept as written", joined(header38With(7, "date= 01.12.2021 09:05:00 =x ") + image),
         ok, "", oddDate, image},
        {"platform=F5438", joined(header38With(5, "platform=F5438") + image), bad,
         "'F5438" + cNotAnInteger, failAtPlatform, noLines},
        {"print=47=x", joined(header38With(6, "print=47=x") + image), bad, "'47=x" + cNotAnInteger,
         failAtPrint, noLines},
        {"header cut short", joined({"bootloader=3", "bootloader version=0", "class=26145"}), bad,
         "'" + cNotAnInteger, failAtVersionH, noLines},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto path = write("image.txt", c.content);
        TBl3FileHeader header = cStale;
        std::vector<std::string> lines = {"stale line"};
        const TImageLoad load = loadImageFile(path, header, lines);
        EXPECT_EQ(load.result, c.result);
        EXPECT_EQ(load.error, c.error);
        EXPECT_EQ(header, c.header);
        EXPECT_EQ(lines, c.lines);
    }
}

// "bootloader 3" has no "=", so it is also a line of the image.
TEST_F(ImageFile, HeaderLineWithoutEqualsCountsAsALine) {
    const auto path = write(
        "image.txt", joined(header38With(0, "bootloader 3") + std::vector<std::string>{cEnd}));
    TBl3FileHeader header{};
    std::vector<std::string> lines;
    ASSERT_EQ(loadImageFile(path, header, lines).result, TImageLoadResult::ok);
    EXPECT_EQ(header.vorn_bl, 0xFFFF);
    EXPECT_EQ(lines, (std::vector<std::string>{"bootloader 3", cEnd}));
}

TEST_F(ImageFile, HeaderPassAloneLeavesTheLinesToTheCaller) {
    const auto path = write("image.txt", joined(cHeader38 + std::vector<std::string>{cEnd}));
    TBl3FileHeader header = cStale;
    EXPECT_EQ(loadImageHeader(path, header).result, TImageLoadResult::ok);
    EXPECT_EQ(header, cHeader38Value);

    const auto badPath = write("bad.txt", joined(header38With(3, "versionH=two")));
    header = cStale;
    const TImageLoad load = loadImageHeader(badPath, header);
    EXPECT_EQ(load.result, TImageLoadResult::badHeader);
    EXPECT_EQ(load.error, "'two" + cNotAnInteger);
    EXPECT_EQ(header.vorn_class, 26145);
    EXPECT_EQ(header.vorn_verH, cStale.vorn_verH);
}

TEST_F(ImageFile, MissingFileOrDirectoryCannotBeOpened) {
    for (const auto& path : {(dir / "missing.txt").string(), dir.path().string()}) {
        TBl3FileHeader header = cStale;
        std::vector<std::string> lines = {"stale line"};
        const TImageLoad load = loadImageFile(path, header, lines);
        EXPECT_EQ(load.result, TImageLoadResult::cannotOpen) << path;
        EXPECT_FALSE(load.error.empty());
        EXPECT_EQ(header, cStale) << "nothing was read";
        EXPECT_TRUE(lines.empty());
        EXPECT_EQ(loadImageHeader(path, header).result, TImageLoadResult::cannotOpen);
    }
}

TEST_F(ImageFile, FileLargerThanTheLimitIsRefusedUnread) {
    const auto path = write("huge.txt", joined(cHeader38 + std::vector<std::string>{cEnd}));
    fs::resize_file(path, cMaxImageFileSize + 1);
    TBl3FileHeader header = cStale;
    std::vector<std::string> lines = {"stale line"};
    const TImageLoad load = loadImageFile(path, header, lines);
    EXPECT_EQ(load.result, TImageLoadResult::tooLarge);
    EXPECT_FALSE(load.error.empty());
    EXPECT_EQ(header, cStale);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(loadImageHeader(path, header).result, TImageLoadResult::tooLarge);

    // At the limit the file is read: the header is fine, and the padding
    // after the end line becomes one long line of the image.
    const auto contentSize = joined(cHeader38 + std::vector<std::string>{cEnd}).size();
    fs::resize_file(path, cMaxImageFileSize);
    EXPECT_EQ(loadImageFile(path, header, lines).result, TImageLoadResult::ok);
    EXPECT_EQ(header, cHeader38Value);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], cEnd);
    EXPECT_EQ(lines[1].size(), cMaxImageFileSize - contentSize);
}
