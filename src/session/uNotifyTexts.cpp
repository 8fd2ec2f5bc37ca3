#include "session/uNotifyTexts.h"

#include "session/uExceptions1V0.h"

#include <cstdio>
#include <string>

namespace {

template <typename... Args> std::string format(const char* fmt, Args... args) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

std::string imageText(const char* prefix, const TBl3FileHeader& h) {
    return std::string(prefix) + " " + imageName(h);
}

constexpr TTextOutputs cR{true, false, false};
constexpr TTextOutputs cRS{true, true, false};
constexpr TTextOutputs cSR{true, true, false, true};
constexpr TTextOutputs cM{false, false, true};
constexpr TTextOutputs cRSM{true, true, true};

std::uint16_t low16(std::int32_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFF);
}

} // namespace

std::string imageName(const TBl3FileHeader& h) {
    return format("%s %s, %s, BL%d.%d", getClassName(h.vorn_class, h.vorn_print).c_str(),
                  imageVersion(h).c_str(), getPrintName(h.vorn_print).c_str(), h.vorn_bl,
                  h.vorn_bl_ver);
}

std::string imageVersion(const TBl3FileHeader& h) {
    return format("V%d.%.2d", h.vorn_verH, h.vorn_verL);
}

std::string startText(const std::string& portText) {
    return "Start at serial port \"" + portText + "\"";
}

std::string abortText(int reason, const std::string& portText) {
    switch (reason) {
    case cEX_PORT_NOT_READY:
        return "Aborted because serial port \"" + portText + "\" is not ready!";
    case cEX_PORT_IO:
        return "Aborted because error when reading/writing to serial port!";
    case cEX_CANCELLED:
        return "Process cancelled!";
    case cEX_NO_UPDATE:
        return "Aborted because no update is available for this logger!";
    case cEX_LOGGER_NOT_READY:
        return "Aborted because the logger is not ready!";
    case cEX_LAST_LINE:
        return "Aborted because last line is wrong !";
    case cEX_CONVERSION:
        return "Aborted because conversion error!";
    case cEX_PROG_REPEAT:
        return "Repeat because programming error!";
    case cEX_UPDATE_FAILED:
        return "Update was not successfull!";
    case cEX_INVALID_ANSWER:
        return "Aborted because the logger transmitted an invalid answer!";
    case cEX_UPID_MISMATCH:
        return "There is no update available or the logger has another update ID!";
    case cEX_INFO_ONLY:
        return "Only read update info!";
    default:
        return "Fatal Exception has occurred!";
    }
}

TNotifyRendering renderNotification(const TNotification& n, const TFWCatalog& catalog,
                                    const std::string& portText) {
    TNotifyRendering r;
    r.handled = true;
    const std::int32_t v = n.value;
    switch (n.kind) {
    case cNT_DONE: {
        const TBl3FileHeader h = catalog.getFWHeader(catalog.iSelectedFW.load());
        r.text = format("Update %s V%d.%.2d succesfully completed.",
                        getClassName(h.vorn_class, h.vorn_print).c_str(), h.vorn_verH, h.vorn_verL);
        r.progress = 100;
        r.endSession = true;
        r.outputs = cRSM;
        break;
    }
    case cNT_PROGRESS:
        r.text = format("Progress %d%%", v);
        r.outputs = cR;
        r.progress = v < 0 ? 0 : v > 100 ? 100 : v;
        r.titlePercent = true;
        break;
    case cNT_ABORT:
        r.endSession = true;
        r.beep = true;
        r.text = abortText(v, portText);
        if (v == cEX_CONVERSION)
            r.outputs = cM;
        else if (v == cEX_PROG_REPEAT)
            r.outputs = cRS;
        else
            r.outputs = cRSM;
        break;
    case cNT_PROG_ERROR_LINE:
        r.text = format("Aborted because programming error at line %d !", v);
        r.outputs = cRS;
        break;
    case cNT_CONV_ERROR_LINE:
        r.text = format("Aborted because conversion error at line  %d !", v);
        r.outputs = cR;
        break;
    case cNT_REPEAT_COMM:
        r.text = "Repeat update because communication error!";
        r.outputs = cSR;
        break;
    case cNT_CLASS:
        r.text = format("Class %d [%s]", v, getClassName(low16(v), 0xFFFF).c_str());
        r.outputs = cR;
        break;
    case cNT_VERSION:
        r.text = format("Version %d.%d", (v >> 8) & 0xFF, v & 0xFF);
        r.outputs = cR;
        break;
    case cNT_PLATFORM:
        r.text = format("Platform %d [%s]", v, getPlatformName(low16(v)).c_str());
        r.outputs = cR;
        break;
    case cNT_PRINT:
        r.text = format("Print %d [%s]", v, getPrintName(low16(v)).c_str());
        r.outputs = cR;
        break;
    case cNT_INFO:
        r.text = format("Info %d", v);
        r.outputs = cR;
        break;
    case cNT_UPDATE_CLASS:
        r.text = format("Update class %d [%s]", v, getClassName(low16(v), 0xFFFF).c_str());
        r.outputs = cR;
        break;
    case cNT_UPDATE_IMAGE:
        r.text = imageText("Update", catalog.getFWHeader(catalog.iSelectedFW.load()));
        r.outputs = cRS;
        break;
    case cNT_CHECK_IMAGE:
        r.text = imageText("Check", catalog.getFWHeader(v));
        r.outputs = cR;
        break;
    case cNT_UPDATE_INFO:
        r.text = format("Update Info %.4X", static_cast<unsigned>(v));
        r.outputs = cR;
        break;
    case cNT_VECTOR_TABLE:
        if (v == 0)
            r.text = "Vector table is saved.";
        else if (v == 1)
            r.text = "Vector table is programmed.";
        else {
            r.handled = false;
            break;
        }
        r.outputs = cR;
        break;
    default:
        r.handled = false;
        break;
    }
    return r;
}

std::string reportLine(const std::tm& t, const std::string& text) {
    return format("%.2d-%.2d-%.2d -> ", t.tm_hour, t.tm_min, t.tm_sec) + text;
}
