// Any bytes as an image file: the load never crashes, a header that does not
// read fails with the conversion message only, the header agrees with a
// reading of the same bytes from memory, the line list follows the line rule
// (LF or CR LF ends a line, lines with "=" drop out), the whole-image check
// agrees with the conversion of every line, and a session given those lines
// writes nothing unless the image checks out.
#include "fuzz_check.h"
#include "images/uImageCheck.h"
#include "images/uImageFile.h"
#include "session/uExceptions1V0.h"
#include "session_harness.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string cConvertText = "' ist kein g\xC3\xBCltiger Integerwert";
const TBl3FileHeader cStale{111, 112, 113, 114, 115, "stale", 116, 117};

// The file every input is written to, in a folder of this process that is
// removed again when the fuzzer ends normally.
const std::string& scratchFile() {
    static const std::string path = [] {
        static const auto dir = std::filesystem::temp_directory_path() /
                                ("tarvek2_fuzz_image_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        });
        return (dir / "image.txt").string();
    }();
    return path;
}

// The line rule, written out once more: LF ends a line and a CR just before
// it goes with it; a last line without a line break counts; lines with "="
// are header lines and drop out.
std::vector<std::string> expectedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos) lf = text.size();
        std::string line = text.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find('=') == std::string::npos) lines.push_back(line);
        start = lf + 1;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string& path = scratchFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }

    TBl3FileHeader header = cStale;
    std::vector<std::string> lines = {"stale line"};
    const TImageLoad load = loadImageFile(path, header, lines);
    FUZZ_CHECK(load.result == TImageLoadResult::ok || load.result == TImageLoadResult::badHeader,
               "result %d: %s", static_cast<int>(load.result), load.error.c_str());

    // The header pass alone, and the header read from memory, come to the
    // same header and the same verdict.
    TBl3FileHeader headerOnly = cStale;
    const TImageLoad headerLoad = loadImageHeader(path, headerOnly);
    FUZZ_CHECK(headerLoad.result == load.result && headerLoad.error == load.error &&
                   headerOnly == header,
               "header pass alone differs");
    TBl3FileHeader fromMemory = cStale;
    std::istringstream in(text);
    std::string memoryError;
    try {
        FUZZ_CHECK(readFileHeader(in, fromMemory), "readFileHeader returned false");
    } catch (const EConvertError& e) {
        memoryError = e.what();
    }
    FUZZ_CHECK(fromMemory == header, "header from memory differs");
    FUZZ_CHECK(memoryError == load.error, "error from memory \"%s\", from the file \"%s\"",
               memoryError.c_str(), load.error.c_str());

    if (load.result == TImageLoadResult::badHeader) {
        // The text is the conversion message around the value; what() is a C
        // string, so a value with a zero byte cuts it short there.
        const bool whole = load.error.size() >= cConvertText.size() + 1 &&
                           load.error.compare(load.error.size() - cConvertText.size(),
                                              cConvertText.size(), cConvertText) == 0;
        FUZZ_CHECK(!load.error.empty() && load.error.front() == '\'' &&
                       (whole || text.find('\0') != std::string::npos),
                   "header error \"%s\"", load.error.c_str());
        FUZZ_CHECK(lines.empty(), "lines kept after a bad header");
        return 0;
    }
    FUZZ_CHECK(load.error.empty(), "error text \"%s\" for a loaded file", load.error.c_str());
    FUZZ_CHECK(lines == expectedLines(text), "line list differs from the line rule");

    // The whole-image check against the conversion of each line.
    const int last = static_cast<int>(lines.size()) - 1;
    auto lineAt = [&](int i, std::string& s) {
        if (i < 0 || i >= static_cast<int>(lines.size())) return false;
        s = lines[static_cast<std::size_t>(i)];
        return true;
    };
    const TImageCheckResult check = checkImage(last, lineAt);
    int firstBad = -1, full = 0, other = 0;
    for (int i = 0; i < last && firstBad < 0; ++i) {
        TRecordConverter conv;
        conv.sHexLine = lines[static_cast<std::size_t>(i)];
        if (!conv.LineToRecord())
            firstBad = i;
        else if (conv.count() == 0x40 && conv.type() == 0x00)
            ++full;
        else
            ++other;
    }
    const bool endLineOk = last >= 1 && lines.back() == ":00000001FF";
    FUZZ_CHECK(check.endLineOk == endLineOk, "end line verdict %d", check.endLineOk);
    FUZZ_CHECK(check.badLine == firstBad, "bad line %d, expected %d", check.badLine, firstBad);
    FUZZ_CHECK(firstBad < 0 || !check.badReason.empty(), "no reason for bad line %d", firstBad);
    FUZZ_CHECK(check.dataRecords == full && check.skippedRecords == other,
               "%d data and %d other records, expected %d and %d", check.dataRecords,
               check.skippedRecords, full, other);
    FUZZ_CHECK(check.ok == (endLineOk && firstBad < 0), "verdict %d", check.ok);

    // A session given these lines with a header that fits the logger: the
    // harness checks that it writes only when the image checks out.
    TFakeClock clock;
    TScriptedLogger logger(clock);
    TFWCatalog catalog;
    catalog.FileHeader = smallImageHeader();
    catalog.FileLines = lines;
    catalog.iSelectedFW = 0;
    std::atomic<bool> cancel{false};
    const TSessionRun run = runSession(catalog, logger, clock, TSessionSettings{}, cancel);
    traceSessionRun(run, logger);
    checkSessionRun(run, catalog, logger);
    const TNotification final = run.notes.back();
    if (check.ok)
        FUZZ_CHECK(final.kind == cNT_DONE, "good image ended with %u/%d", final.kind, final.value);
    else
        FUZZ_CHECK(final.kind == cNT_ABORT &&
                       (final.value == cEX_LAST_LINE || final.value == cEX_CONVERSION),
                   "bad image ended with %u/%d", final.kind, final.value);
    return 0;
}
