// One JSON object per notification on standard output, then a result object.
#include "cli/output/jsonOutput.h"
#include "cli/output/outputNotes.h"
#include "platform/uLocalTime.h"
#include "session/uExceptions1V0.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

using TJson = nlohmann::ordered_json;

const char* bootloaderWord(TBootloaderEntry entry) {
    switch (entry) {
    case TBootloaderEntry::notSwitched:
        return "not_switched";
    case TBootloaderEntry::maybeSwitched:
        return "maybe_switched";
    case TBootloaderEntry::didNotEnter:
        return "did_not_enter";
    case TBootloaderEntry::switched:
        return "switched";
    case TBootloaderEntry::alreadyIn:
        return "already_in";
    }
    return "not_switched";
}

const char* placeWord(TLoggerPlace place) {
    switch (place) {
    case TLoggerPlace::application:
        return "application";
    case TLoggerPlace::bootloader:
        return "bootloader";
    case TLoggerPlace::unknown:
        return "unknown";
    }
    return "unknown";
}

} // namespace

const char* notifyKindName(std::uint32_t kind) {
    switch (kind) {
    case cNT_DONE:
        return "cNT_DONE";
    case cNT_PROGRESS:
        return "cNT_PROGRESS";
    case cNT_ABORT:
        return "cNT_ABORT";
    case cNT_PROG_ERROR_LINE:
        return "cNT_PROG_ERROR_LINE";
    case cNT_CONV_ERROR_LINE:
        return "cNT_CONV_ERROR_LINE";
    case cNT_REPEAT_COMM:
        return "cNT_REPEAT_COMM";
    case cNT_CLASS:
        return "cNT_CLASS";
    case cNT_VERSION:
        return "cNT_VERSION";
    case cNT_PLATFORM:
        return "cNT_PLATFORM";
    case cNT_PRINT:
        return "cNT_PRINT";
    case cNT_INFO:
        return "cNT_INFO";
    case cNT_UPDATE_CLASS:
        return "cNT_UPDATE_CLASS";
    case cNT_UPDATE_IMAGE:
        return "cNT_UPDATE_IMAGE";
    case cNT_CHECK_IMAGE:
        return "cNT_CHECK_IMAGE";
    case cNT_UPDATE_INFO:
        return "cNT_UPDATE_INFO";
    case cNT_VECTOR_TABLE:
        return "cNT_VECTOR_TABLE";
    default:
        return "unknown";
    }
}

std::string isoTimeNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    const std::tm local = localTime(t);
    std::tm utc = utcTime(t);
    // The offset from UTC: the UTC fields read back as local wall time, in
    // the daylight-saving state of now, lie the offset before now.
    utc.tm_isdst = local.tm_isdst;
    const long offset = static_cast<long>(std::difftime(t, std::mktime(&utc)));
    const long offsetMin = (offset < 0 ? -offset : offset) / 60;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, static_cast<int>(ms), offset < 0 ? '-' : '+',
                  offsetMin / 60, offsetMin % 60);
    return buf;
}

TJsonOutput::TJsonOutput(std::ostream& out, std::ostream& err, std::string port)
    : FOut(out), FErr(err), FPort(std::move(port)) {}

void TJsonOutput::notification(const TNotification& n, const TNotifyRendering& r) {
    TJson j;
    j["time"] = isoTimeNow();
    j["port"] = FPort;
    j["kind"] = n.kind;
    j["name"] = notifyKindName(n.kind);
    j["value"] = n.value;
    j["text"] = r.handled ? r.text : std::string();
    // Texts are 8-bit: a byte that is not UTF-8 is replaced, never fatal.
    FOut << j.dump(-1, ' ', false, TJson::error_handler_t::replace) << '\n' << std::flush;
}

std::string resultJson(const TPortResult& result) {
    const TSessionOutcome& o = result.outcome;
    TJson j;
    j["port"] = result.port;
    j["result"] = result.result;
    j["exit"] = result.exitCode;
    j["restarts"] = o.restarts;
    j["elapsed_ms"] = o.elapsedMs;
    if (o.final.kind == cNT_ABORT) j["reason"] = o.final.value;
    j["text"] = o.rendering.text;
    j["slot"] = o.selectedFW;
    if (!o.hint.empty()) j["hint"] = o.hint;
    // What became of the logger.
    j["bootloader"] = bootloaderWord(o.fate.bootloader);
    j["records_written"] = o.fate.recordsWritten;
    j["records_exact"] = o.fate.recordsExact;
    j["records_total"] = o.fate.recordsTotal;
    j["logger_at_end"] = placeWord(o.fate.place);
    return j.dump(-1, ' ', false, TJson::error_handler_t::replace);
}

std::string noPortResultJson(const std::string& why) {
    TPortResult r;
    r.outcome.final = {cNT_ABORT, cEX_PORT_NOT_READY};
    r.outcome.rendering.text = why;
    r.exitCode = cEX_PORT_NOT_READY;
    r.result = "abort";
    // The object of a port's result, so that one reader takes both; there
    // is no port to name.
    TJson j = TJson::parse(resultJson(r));
    j["port"] = nullptr;
    return j.dump(-1, ' ', false, TJson::error_handler_t::replace);
}

void TJsonOutput::finished(const TPortResult& result) {
    FOut << resultJson(result) << '\n' << std::flush;
    printOutcomeNotes(FErr, result);
}
