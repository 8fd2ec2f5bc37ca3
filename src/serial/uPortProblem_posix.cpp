// Why a port does not open, in words an operator can act on.
#include "serial/uRS232Posix.h"

#include <cerrno>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <vector>

namespace {

constexpr int cLineBaud = 9600;

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

std::string errorText(int err) {
    return std::generic_category().message(err);
}

std::string groupName(gid_t gid) {
    group gr{};
    group* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getgrgid_r(gid, &gr, buffer.data(), buffer.size(), &found) != 0 || !found) return {};
    return found->gr_name;
}

// Names the group that owns the device file, so the operator knows which
// group to join.  A file of group root (or of an unknown group) is a matter
// for the administrator.
std::string permissionText(const std::string& sPath) {
    struct stat st {};
    const bool bKnown = ::stat(sPath.c_str(), &st) == 0 && st.st_gid != 0;
    const std::string sGroup = bKnown ? groupName(st.st_gid) : std::string();
    if (sGroup.empty())
        return "You may not use serial port " + quoted(sPath) +
               ". Ask your administrator for read and write access to it.";
    return "You may not use serial port " + quoted(sPath) + ": it belongs to the group " +
           quoted(sGroup) + ". Join that group (sudo usermod -aG " + sGroup +
           " $USER), then log out and log in again.";
}

std::string missingText(const std::string& sPath) {
    return "Serial port " + quoted(sPath) +
           " does not exist. Check that the logger's cable is plugged in, or pick another port.";
}

std::string busyText(const std::string& sPath) {
    return "Serial port " + quoted(sPath) +
           " is in use by another program. Close that program and try again.";
}

std::string notSerialText(const std::string& sPath) {
    return quoted(sPath) + " is not a serial port. Pick another port.";
}

} // namespace

std::string explainPortProblem(const std::string& sPort) {
    TPosixOpenResult r = openPosixPort(sPort, cLineBaud);
    if (r.hPort) {
        closePort(r.hPort);
        return {};
    }
    switch (r.step) {
    case TOpenStep::Done:
        return {};
    case TOpenStep::Name:
        return "No serial port is chosen. Pick the port of the logger's cable.";
    case TOpenStep::Open:
        switch (r.err) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            return missingText(r.sPath);
        case EBUSY:
            return busyText(r.sPath);
        case EACCES:
        case EPERM:
            return permissionText(r.sPath);
        case EISDIR:
            return notSerialText(r.sPath);
        default:
            break;
        }
        return "Serial port " + quoted(r.sPath) + " cannot be opened: " + errorText(r.err) + ".";
    case TOpenStep::Lock:
        return busyText(r.sPath);
    case TOpenStep::Terminal:
        return notSerialText(r.sPath);
    case TOpenStep::Exclusive:
    case TOpenStep::Settings:
    case TOpenStep::ModemLines:
        break;
    }
    return "Serial port " + quoted(r.sPath) +
           " refused the line settings (9600 baud, 8 data bits, no parity, 1 stop bit): " +
           errorText(r.err) + ".";
}
