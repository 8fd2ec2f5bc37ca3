#include "port_holder.h"

#include "images/uConvert1V0.h"
#include "serial/uRS232.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int cReplyLimitMs = 5000;

bool writeAll(int fd, const std::string& s) {
    std::size_t done = 0;
    while (done < s.size()) {
        const ssize_t w = ::write(fd, s.data() + done, s.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        done += static_cast<std::size_t>(w);
    }
    return true;
}

// Reads exactly n bytes, waiting at most limitMs for each of them; false on
// end of file or time-out.
bool readExactly(int fd, std::string& s, std::size_t n, int limitMs) {
    s.clear();
    while (s.size() < n) {
        if (limitMs >= 0) {
            pollfd p{fd, POLLIN, 0};
            const int r = ::poll(&p, 1, limitMs);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) return false;
        }
        char buf[256];
        const ssize_t r = ::read(fd, buf, std::min(sizeof buf, n - s.size()));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        s.append(buf, static_cast<std::size_t>(r));
    }
    return true;
}

// The child: 'H' + length byte + port name opens the port (reply "1" or
// "0"); 'I' runs an identify exchange (reply: 1 byte count, then the
// answer); 'Q' closes the port and ends the child.
[[noreturn]] void serveOrders(int in, int out) {
    TPortHandle port;
    std::string order;
    while (readExactly(in, order, 1, -1)) {
        if (order[0] == 'H') {
            std::string len, name;
            if (!readExactly(in, len, 1, -1) ||
                !readExactly(in, name, static_cast<unsigned char>(len[0]), -1))
                break;
            port = openPort(name, 9600);
            writeAll(out, port ? "1" : "0");
        } else if (order[0] == 'I') {
            std::array<std::uint8_t, 8> frame{0x81, 0, 0, 0, 0, 0, 0, 0};
            frame[7] = CRC8(frame.data(), 7);
            std::array<std::uint8_t, 8> answer{};
            std::size_t written = 0, got = 0;
            const bool ok = port && port->clearError() && port->purge() &&
                            port->write(frame.data(), frame.size(), written) && written == 8 &&
                            port->read(answer.data(), answer.size(), got);
            std::string reply(1, static_cast<char>(ok ? got : 0));
            reply.append(reinterpret_cast<const char*>(answer.data()), ok ? got : 0);
            writeAll(out, reply);
        } else {
            break;
        }
    }
    closePort(port);
    ::_exit(0);
}

} // namespace

TPortHolder::TPortHolder() {
    int down[2], up[2];
    if (::pipe2(down, O_CLOEXEC) != 0) return;
    if (::pipe2(up, O_CLOEXEC) != 0) {
        ::close(down[0]);
        ::close(down[1]);
        return;
    }
    FPid = ::fork();
    if (FPid == 0) {
        ::close(down[1]);
        ::close(up[0]);
        serveOrders(down[0], up[1]);
    }
    ::close(down[0]);
    ::close(up[1]);
    FToChild = down[1];
    FFromChild = up[0];
    if (FPid < 0) {
        ::close(FToChild);
        ::close(FFromChild);
        FToChild = FFromChild = -1;
    }
}

TPortHolder::~TPortHolder() {
    release();
}

bool TPortHolder::order(const std::string& message, std::string& reply, std::size_t replySize) {
    return running() && writeAll(FToChild, message) &&
           readExactly(FFromChild, reply, replySize, cReplyLimitMs);
}

bool TPortHolder::hold(const std::string& sPort) {
    std::string reply;
    return sPort.size() < 256 &&
           order("H" + std::string(1, static_cast<char>(sPort.size())) + sPort, reply, 1) &&
           reply == "1";
}

std::vector<std::uint8_t> TPortHolder::identify() {
    std::string count, answer;
    if (!order("I", count, 1)) return {};
    if (!readExactly(FFromChild, answer, static_cast<unsigned char>(count[0]), cReplyLimitMs))
        return {};
    return {answer.begin(), answer.end()};
}

bool TPortHolder::release() {
    if (!running()) return false;
    writeAll(FToChild, "Q");
    ::close(FToChild);
    ::close(FFromChild);
    FToChild = FFromChild = -1;
    int status = 0;
    const pid_t r = ::waitpid(FPid, &status, 0);
    FPid = -1;
    return r > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
