#include "cli/exitCodes.h"

#include "session/uExceptions1V0.h"

namespace {

bool isSessionReason(int reason) {
    return reason == cEX_PORT_NOT_READY || reason == cEX_PORT_IO || reason == cEX_CANCELLED ||
           (reason >= cEX_NO_UPDATE && reason <= cEX_UPID_MISMATCH);
}

} // namespace

int exitCodeFor(const TNotification& final, bool bInfoOnly) {
    switch (final.kind) {
    case cNT_DONE:
        // A read-info-only session never writes, so it cannot end this way.
        return bInfoOnly ? cExitFailure : cExitOk;
    case cNT_REPEAT_COMM:
        return cEX_COMM_ERROR;
    case cNT_ABORT:
        if (final.value == cEX_INFO_ONLY) return bInfoOnly ? cExitOk : cExitFailure;
        return isSessionReason(final.value) ? final.value : cExitFailure;
    default:
        return cExitFailure;
    }
}

std::string resultName(const TNotification& final, bool bInfoOnly) {
    const int code = exitCodeFor(final, bInfoOnly);
    if (code == cExitOk) return bInfoOnly ? "info" : "done";
    if (code == cEX_CANCELLED) return "cancelled";
    if (code == cEX_COMM_ERROR) return "comm_error";
    if (code == cExitFailure) return "error";
    return "abort";
}
