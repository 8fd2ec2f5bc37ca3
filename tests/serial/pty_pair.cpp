#include "pty_pair.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

TPtyPair::TPtyPair() {
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0 || ::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0) {
        ADD_FAILURE() << "no pseudo-terminal: " << std::strerror(errno);
        return;
    }
    char name[128] = {};
    if (::ptsname_r(FMaster, name, sizeof name) != 0) ADD_FAILURE() << "ptsname_r";
    FsSlave = name;
}

TPtyPair::~TPtyPair() {
    closeMaster();
}

void TPtyPair::closeMaster() {
    if (FMaster >= 0) ::close(FMaster);
    FMaster = -1;
}

void TPtyPair::send(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t r = ::write(FMaster, bytes.data() + done, bytes.size() - done);
        if (r < 0 && errno == EINTR) continue;
        ASSERT_GT(r, 0) << std::strerror(errno);
        done += static_cast<std::size_t>(r);
    }
}

std::vector<std::uint8_t> TPtyPair::receive(std::size_t n, std::chrono::milliseconds wait) {
    std::vector<std::uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (got.size() < n) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{FMaster, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        std::uint8_t buffer[512];
        const ssize_t r = ::read(FMaster, buffer, std::min(sizeof buffer, n - got.size()));
        if (r <= 0) break;
        got.insert(got.end(), buffer, buffer + r);
    }
    return got;
}

int TPtyPair::openObserver() const {
    return ::open(FsSlave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

bool isExclusive(int fd) {
    int excl = 0;
    if (::ioctl(fd, TIOCGEXCL, &excl) != 0) ADD_FAILURE() << "TIOCGEXCL: " << std::strerror(errno);
    return excl != 0;
}
