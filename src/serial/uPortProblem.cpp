// The operator's words for a port that did not open: the cause and what to
// do about it.  The platform files classify the system's errors; the words
// are the same everywhere.
#include "serial/uPortProblem.h"

namespace {

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

} // namespace

std::string portProblemText(const TPortProblem& problem, const std::string& sPort) {
    if (!problem.failed()) return {};
    if (sPort.empty()) return "No serial port is chosen. Pick the port of the logger's cable.";
    const std::string sWhere = quoted(problem.sPath.empty() ? sPort : problem.sPath);
    switch (problem.cause) {
    case TPortCause::none:
        return {};
    case TPortCause::badName:
        return quoted(sPort) + " is not a valid port name. Pick a port from the list.";
    case TPortCause::missing:
        return "Serial port " + sWhere +
               " does not exist. Check that the logger's cable is plugged in, or pick another "
               "port.";
    case TPortCause::busy:
        return "Serial port " + sWhere +
               " is in use by another program. Close that program and try again.";
    case TPortCause::permission:
        // A device of group root (or of no known group) is a matter for the
        // administrator; otherwise joining its group is the remedy.
        if (problem.sGroup.empty())
            return "You may not use serial port " + sWhere +
                   ". Ask your administrator for read and write access to it.";
        return "You may not use serial port " + sWhere + ": it belongs to the group " +
               quoted(problem.sGroup) + ". Join that group (sudo usermod -aG " + problem.sGroup +
               " $USER), then log out and log in again.";
    case TPortCause::notSerial:
        return sWhere + " is not a serial port. Pick another port.";
    case TPortCause::osError:
        break;
    }
    if (problem.step == TPortStep::open)
        return "Serial port " + sWhere + " cannot be opened" + osErrorDetail(problem) + ".";
    return "Serial port " + sWhere +
           " refused the line settings (9600 baud, 8 data bits, no parity, 1 stop bit)" +
           osErrorDetail(problem) + ".";
}
