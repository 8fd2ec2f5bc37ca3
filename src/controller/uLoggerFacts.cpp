#include "controller/uLoggerFacts.h"

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

std::string loggerName(const TLoggerIdentity& identity) {
    if (identity.print == 0xFFFF) return {};
    return getClassName(identity.loggerClass(), identity.print) + " " +
           getPrintName(identity.print);
}
