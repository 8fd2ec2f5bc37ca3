#include "controller/uLoggerFacts.h"

#include "session/uNotifyTexts.h"

bool takeIdentity(TLoggerIdentity& identity, const TNotification& n) {
    const auto code = static_cast<std::uint16_t>(n.value & 0xFFFF);
    switch (n.kind) {
    case cNT_CLASS:
        if (identity.firstClass == 0xFFFF) identity.firstClass = code;
        return true;
    case cNT_UPDATE_CLASS:
        identity.updateClass = code;
        return true;
    case cNT_VERSION:
        if (identity.firstVersion < 0) identity.firstVersion = n.value;
        identity.version = n.value;
        return true;
    case cNT_PLATFORM:
        identity.platform = code;
        return true;
    case cNT_PRINT:
        identity.print = code;
        identity.printTold = true;
        return true;
    case cNT_INFO:
        identity.info = n.value;
        return true;
    case cNT_UPDATE_INFO:
        identity.updateInfo = n.value;
        return true;
    default:
        return false;
    }
}

std::string codeText(std::uint16_t code, const std::string& name) {
    return name == "?" ? std::to_string(code) : name;
}

std::string classText(std::uint16_t code, std::uint16_t print) {
    const std::string name = getClassName(code, print);
    return name == "?" ? "class " + std::to_string(code) : name;
}

std::string platformText(std::uint16_t code) {
    return codeText(code, getPlatformName(code));
}

std::string printText(std::uint16_t code) {
    return codeText(code, getPrintName(code));
}

std::string loggerName(const TLoggerIdentity& identity) {
    if (!identity.printTold) return {};
    const std::string print = getPrintName(identity.print);
    return classText(identity.loggerClass(), identity.print) + " " +
           (print == "?" ? "print " + std::to_string(identity.print) : print);
}

std::string imageText(const TBl3FileHeader& h) {
    const std::string print = getPrintName(h.vorn_print);
    return classText(h.vorn_class, h.vorn_print) + " " + imageVersion(h) + ", " +
           (print == "?" ? "print " + std::to_string(h.vorn_print) : print) + ", BL" +
           std::to_string(h.vorn_bl) + "." + std::to_string(h.vorn_bl_ver);
}
