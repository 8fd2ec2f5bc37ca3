// How a failed call of the Win32 backend reads for the operator: the system
// error of the failing call turned into a cause.  A COM port that another
// program holds is refused with "access denied" (the open is exclusive), so
// that is a busy port here, not a matter of rights.
#include "serial/uPortProblem.h"

#include "platform/uWindows.h"

#include <string>
#include <system_error>

namespace {

TPortCause causeOf(TPortStep step, DWORD err) {
    switch (step) {
    case TPortStep::none:
        return TPortCause::none;
    case TPortStep::name:
        return TPortCause::badName;
    case TPortStep::open:
        switch (err) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return TPortCause::missing;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return TPortCause::busy;
        default:
            return TPortCause::osError;
        }
    case TPortStep::lock:
    case TPortStep::terminal:
    case TPortStep::settings:
    case TPortStep::queues:
    case TPortStep::timeouts:
    case TPortStep::modemLines:
        break;
    }
    // A device that opens but knows none of the serial requests (NUL, a
    // printer) is no serial port.
    if (err == ERROR_INVALID_FUNCTION || err == ERROR_INVALID_HANDLE || err == ERROR_NOT_SUPPORTED)
        return TPortCause::notSerial;
    return TPortCause::osError;
}

} // namespace

TPortProblem portProblemFor(TPortStep step, const char* sCall, int iError,
                            const std::string& sPath) {
    TPortProblem p;
    p.cause = causeOf(step, static_cast<DWORD>(iError));
    p.step = step;
    p.sCall = sCall;
    p.iError = iError;
    p.sErrorText = std::system_category().message(iError);
    p.sPath = sPath;
    return p;
}

std::string osErrorDetail(const TPortProblem& problem) {
    return " (system error " + std::to_string(problem.iError) + ")";
}
