// How a failed call of the termios backend reads for the operator: errno
// turned into a cause, and the group to join when the device file is not
// ours to use.
#include "serial/uPortProblem.h"

#include <cerrno>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <vector>

namespace {

std::string groupName(gid_t gid) {
    group gr{};
    group* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getgrgid_r(gid, &gr, buffer.data(), buffer.size(), &found) != 0 || !found) return {};
    return found->gr_name;
}

// The group that owns the device file, so the operator knows which group to
// join; empty for group root or an unknown group (the administrator's
// matter).
std::string owningGroup(const std::string& sPath) {
    struct stat st {};
    if (::stat(sPath.c_str(), &st) != 0 || st.st_gid == 0) return {};
    return groupName(st.st_gid);
}

TPortCause causeOfOpen(int iError) {
    switch (iError) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return TPortCause::missing;
    case EBUSY:
        return TPortCause::busy;
    case EACCES:
    case EPERM:
        return TPortCause::permission;
    case EISDIR:
        return TPortCause::notSerial;
    default:
        return TPortCause::osError;
    }
}

TPortCause causeOf(TPortStep step, int iError) {
    switch (step) {
    case TPortStep::none:
        return TPortCause::none;
    case TPortStep::name:
        return TPortCause::badName;
    case TPortStep::open:
        return causeOfOpen(iError);
    case TPortStep::lock:
        // flock refuses a port that another opener holds; TIOCEXCL refuses
        // only what is no terminal.
        if (iError == EWOULDBLOCK || iError == EAGAIN || iError == EBUSY) return TPortCause::busy;
        if (iError == ENOTTY) return TPortCause::notSerial;
        return TPortCause::osError;
    case TPortStep::terminal:
        return iError == ENOTTY || iError == EINVAL ? TPortCause::notSerial : TPortCause::osError;
    case TPortStep::settings:
    case TPortStep::queues:
    case TPortStep::timeouts:
    case TPortStep::modemLines:
        break;
    }
    return TPortCause::osError;
}

} // namespace

TPortProblem portProblemFor(TPortStep step, const char* sCall, int iError,
                            const std::string& sPath) {
    TPortProblem p;
    p.cause = causeOf(step, iError);
    p.step = step;
    p.sCall = sCall;
    p.iError = iError;
    p.sErrorText = std::generic_category().message(iError);
    p.sPath = sPath;
    if (p.cause == TPortCause::permission) p.sGroup = owningGroup(sPath);
    return p;
}

std::string osErrorDetail(const TPortProblem& problem) {
    return ": " + problem.sErrorText;
}
