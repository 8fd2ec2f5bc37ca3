#include "session_harness.h"

#include "fuzz_check.h"
#include "images/uImageCheck.h"
#include "session/uExceptions1V0.h"
#include "session/uTarvekCommThread.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

std::string frameBytes(std::initializer_list<std::uint8_t> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

const std::string cNullFrame(8, '\0');
const std::string cIdentifyFrame = frameBytes({0x81, 0, 0, 0, 0, 0, 0, 0xAA});
const std::string cSwitchFrame = frameBytes({0x82, 0x81, 0x00, 0xA5, 0x5A, 0x00, 0x00, 0x09});

bool isFullDataRecord(const std::string& line, std::uint16_t& block) {
    TRecordConverter conv;
    conv.sHexLine = line;
    if (!conv.LineToRecord() || conv.count() != 0x40 || conv.type() != 0x00) return false;
    block = conv.address();
    return true;
}

// What the session may write of an image, in order: every full data record
// except the vector table, then the last vector-table record.
struct TExpectedWrites {
    bool imageChecks = false;
    std::vector<std::string> records;
};

TExpectedWrites expectedWrites(const TFWCatalog& catalog, int slot) {
    TExpectedWrites w;
    const int last = catalog.getFWLastLine(slot);
    TFWCatalog view; // reads a slot without touching the session's selection
    view.FileHeader = catalog.FileHeader;
    view.FileLines = catalog.FileLines;
    view.iSelectedFW = slot;
    auto lineAt = [&](int i, std::string& s) { return view.getLine(i, s); };
    w.imageChecks = checkImage(last, lineAt).ok;
    std::string line, vectorTable;
    std::uint16_t block = 0;
    for (int i = 0; i < last; ++i) {
        if (!view.getLine(i, line) || !isFullDataRecord(line, block)) continue;
        if (block == 0x03DF)
            vectorTable = line;
        else
            w.records.push_back(line);
    }
    if (!vectorTable.empty()) w.records.push_back(vectorTable);
    return w;
}

// The built-in images never change: work their expectations out once.
const TExpectedWrites& expectedWritesCached(const TFWCatalog& catalog, int slot) {
    static std::map<int, TExpectedWrites> builtIn;
    static TExpectedWrites file;
    if (slot == 0) return file = expectedWrites(catalog, 0);
    auto it = builtIn.find(slot);
    if (it == builtIn.end()) it = builtIn.emplace(slot, expectedWrites(catalog, slot)).first;
    return it->second;
}

// The bootloader commands the session may send: the identity record, the
// begin and finish records, and the identity-block query of every platform
// that has a memory map.
const std::vector<std::string>& commandRecords() {
    static const std::vector<std::string> records = [] {
        std::vector<std::string> r = {makeCommandRecord(0, 0x20), makeCommandRecord(0, 0x31),
                                      makeCommandRecord(0, 0x33)};
        for (std::uint32_t code = 0; code < 0xFFFF; ++code) {
            if (checkPlatform(static_cast<std::uint16_t>(code)) != code) continue;
            const std::uint32_t first = getMemoryMap(static_cast<std::uint16_t>(code))[0].first;
            const auto query = makeCommandRecord(static_cast<std::uint16_t>(first / 64), 0x30);
            if (std::find(r.begin(), r.end(), query) == r.end()) r.push_back(query);
        }
        return r;
    }();
    return records;
}

bool isKnownReason(std::int32_t r) {
    static constexpr std::array cReasons = {
        cEX_PORT_NOT_READY,   cEX_PORT_IO,        cEX_CANCELLED,     cEX_NO_UPDATE,
        cEX_LOGGER_NOT_READY, cEX_LAST_LINE,      cEX_CONVERSION,    cEX_PROG_REPEAT,
        cEX_UPDATE_FAILED,    cEX_INVALID_ANSWER, cEX_UPID_MISMATCH, cEX_INFO_ONLY};
    return std::find(cReasons.begin(), cReasons.end(), r) != cReasons.end();
}

std::string dataLine(std::uint16_t block, std::uint8_t count, std::uint8_t seed) {
    std::vector<std::uint8_t> data(count);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(seed * 31 + i * 7);
    return TScriptedLogger::record(block, 0x00, data);
}

} // namespace

std::vector<std::string> smallImageLines(bool withBadLine) {
    std::vector<std::string> lines = {
        dataLine(0x0000, 0x40, 1), dataLine(0x0001, 0x40, 2), dataLine(0x0002, 0x10, 3),
        dataLine(0x03DF, 0x40, 4), dataLine(0x0040, 0x40, 5), ":00000001FF",
    };
    if (withBadLine) {
        auto& bad = lines[1];
        const auto pos = bad.find_first_of("ABCDEF", 9);
        bad[pos] = static_cast<char>(bad[pos] - 'A' + 'a');
    }
    return lines;
}

TBl3FileHeader smallImageHeader() {
    return {0x6621, 2, 8, 21, 38, "01.01.2024 00:00:00", 3, 0};
}

TSessionRun runSession(TFWCatalog& catalog, TScriptedLogger& logger, TFakeClock& clock,
                       const TSessionSettings& settings, std::atomic<bool>& cancel) {
    TNotifyRecorder recorder;
    TSessionContext context{&recorder, TCmd::tCMD0, "COM5", &catalog,
                            settings,  &cancel,     &clock, logger.opener()};
    CommThreadClass(std::move(context))->Execute();
    return {recorder.snapshot()};
}

void traceSessionRun(const TSessionRun& run, const TScriptedLogger& logger) {
    if (!std::getenv("TARVEK2_FUZZ_TRACE")) return;
    auto printable = [](const std::string& s) {
        std::string out;
        for (const unsigned char c : s) {
            char hex[8];
            if (c >= 0x20 && c < 0x7F)
                out += static_cast<char>(c);
            else
                std::snprintf(hex, sizeof hex, "\\x%02X", c), out += hex;
        }
        return out;
    };
    for (const auto& ex : logger.log)
        std::fprintf(stderr, "out %s\n in %s\n", printable(ex.written).c_str(),
                     printable(ex.answer).c_str());
    for (const auto& n : run.notes)
        std::fprintf(stderr, "notification %u %d\n", n.kind, n.value);
}

void checkSessionRun(const TSessionRun& run, const TFWCatalog& catalog,
                     const TScriptedLogger& logger) {
    // One final notification, the last one; the port closed before it.
    const auto& notes = run.notes;
    FUZZ_CHECK(!notes.empty() && isFinalNotification(notes.back().kind), "no final notification");
    const auto finals = std::count_if(notes.begin(), notes.end(), [](const TNotification& n) {
        return isFinalNotification(n.kind);
    });
    FUZZ_CHECK(finals == 1, "%d final notifications", static_cast<int>(finals));
    FUZZ_CHECK(logger.opens == 1 && logger.closes == 1 && !logger.open,
               "port opened %d times, closed %d times", logger.opens, logger.closes);
    const TNotification final = notes.back();
    if (final.kind == cNT_ABORT)
        FUZZ_CHECK(isKnownReason(final.value), "abort with reason %d", final.value);
    else
        FUZZ_CHECK(final.value == static_cast<std::int32_t>(TCmd::tCMD0), "final value %d",
                   final.value);

    int progress = 0;
    bool updateAnnounced = false;
    for (const auto& n : notes) {
        if (n.kind == cNT_UPDATE_IMAGE) updateAnnounced = true;
        if (n.kind != cNT_PROGRESS) continue;
        FUZZ_CHECK(n.value > progress && n.value <= 99, "progress %d after %d", n.value, progress);
        progress = n.value;
    }

    // Everything written to the line.
    const int slot = catalog.iSelectedFW.load();
    const TExpectedWrites* image = slot >= 0 ? &expectedWritesCached(catalog, slot) : nullptr;
    std::size_t next = 0; // the next record the image may have written
    bool finished = false;
    int identifiesAfterFinish = 0;
    const auto& commands = commandRecords();
    auto isCommand = [&](const std::string& w) {
        return std::find(commands.begin(), commands.end(), w) != commands.end();
    };
    // The one write that the port cut short (when the input asked for one)
    // must be the start of something the session may write; a cut record
    // ends the session, a cut frame is tried again.
    const int cutWrite = logger.shortWriteAt - 1;
    for (std::size_t i = 0; i < logger.log.size(); ++i) {
        const std::string& w = logger.log[i].written;
        const bool frame = !w.empty() && w[0] != ':';
        if (static_cast<int>(i) == cutWrite) {
            auto startOf = [&](const std::string& full) {
                return full.compare(0, w.size(), w) == 0;
            };
            bool ok = frame
                          ? startOf(cNullFrame) || startOf(cIdentifyFrame) || startOf(cSwitchFrame)
                          : std::any_of(commands.begin(), commands.end(), startOf);
            if (!frame && !ok && image && next < image->records.size())
                ok = startOf(image->records[next]);
            if (!frame && !ok && image && next > 0) ok = startOf(image->records[next - 1]);
            FUZZ_CHECK(ok, "cut write \"%s\" is not the start of a frame or record", w.c_str());
            if (!frame)
                FUZZ_CHECK(i + 1 == logger.log.size() && final.kind == cNT_ABORT &&
                               final.value == cEX_PORT_IO,
                           "the session went on after a cut record");
            continue;
        }
        if (frame) {
            FUZZ_CHECK(w == cNullFrame || w == cIdentifyFrame || w == cSwitchFrame,
                       "unknown frame written (exchange %d)", static_cast<int>(i));
            if (finished && w == cIdentifyFrame) ++identifiesAfterFinish;
            continue;
        }
        TRecordConverter conv;
        conv.sHexLine = w;
        FUZZ_CHECK(conv.LineToRecord(), "a record that does not convert was written: \"%s\"",
                   w.c_str());
        if (conv.type() == 0x05 && conv.count() == 1) {
            FUZZ_CHECK(isCommand(w), "unknown bootloader command \"%s\"", w.c_str());
            if (w == makeCommandRecord(0, 0x33)) finished = true;
            continue;
        }
        // A data record: only from a chosen image that checks out, after the
        // update was announced, and in the image's order (a retry repeats the
        // record before).
        FUZZ_CHECK(image && image->imageChecks && updateAnnounced,
                   "data record \"%s\" written without a checked image", w.c_str());
        FUZZ_CHECK(!finished, "data record after the finish record");
        const bool inOrder = next < image->records.size() && w == image->records[next];
        const bool retry = next > 0 && w == image->records[next - 1];
        FUZZ_CHECK(retry || inOrder, "record \"%s\" is not the image's next record (%d)", w.c_str(),
                   static_cast<int>(next));
        if (inOrder) ++next;
    }

    if (final.kind == cNT_DONE) {
        FUZZ_CHECK(image && next == image->records.size(), "done after %d of %d records",
                   static_cast<int>(next), image ? static_cast<int>(image->records.size()) : -1);
        FUZZ_CHECK(finished && identifiesAfterFinish >= 1, "done without finish and identify");
    }
}
