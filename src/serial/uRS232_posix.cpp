// termios backend of the logger line.
//
// The port is opened non-blocking and stays so: reads and writes wait in
// poll(2) against a monotonic deadline, so a read returns once the asked-for
// bytes are in, or at 200 + n ms with what came, and a write waits for its
// bytes to leave the driver no longer than its own deadline.  Before a read
// waits, it tells the line discipline how many bytes it still expects
// (VMIN): poll then reports the port readable once they are all in, so an
// echo that arrives a byte at a time wakes the program once, not per byte.
// Exclusive use is twofold: TIOCEXCL keeps other non-root programs out, and
// a non-blocking flock(2) keeps out every other opener that plays by the same
// rule, root included (root passes TIOCEXCL).
#include "serial/uRS232_posix.h"
#include "serial/uRS232Native.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

namespace {

using TClock = std::chrono::steady_clock;

speed_t speedFor(int iBaud) {
    switch (iBaud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        return B0;
    }
}

// Milliseconds left until the deadline, rounded up so that poll never wakes
// early; 0 when it has passed.
int msLeft(TClock::time_point deadline) {
    const auto left = deadline - TClock::now();
    if (left <= TClock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

class TPosixPort final : public IPort {
  public:
    TPosixPort(int fd, int iBaud, TOutputQueue outputQueue)
        : FFd(fd), FBaud(iBaud), FOutputQueue(std::move(outputQueue)) {}
    ~TPosixPort() override { close(); }
    TPosixPort(const TPosixPort&) = delete;
    TPosixPort& operator=(const TPosixPort&) = delete;

    // termios keeps no sticky error state to clear: the port is fine while
    // its descriptor is.
    bool clearError() override { return FFd >= 0; }

    // Only the receive side needs discarding: every write waits until its
    // bytes have left the driver, so nothing of ours is left to take back.
    // Flushing the output as well would, on a pseudo-terminal, discard bytes
    // the other end has not read yet: the switch frame, which the next
    // exchange follows 1 ms later, would never reach the logger.
    bool purge() override { return FFd >= 0 && ::tcflush(FFd, TCIFLUSH) == 0; }

    bool write(const std::uint8_t* data, std::size_t n, std::size_t& written) override;
    bool read(std::uint8_t* data, std::size_t n, std::size_t& got) override;

    void close() override {
        if (FFd < 0) return;
        // A pseudo-terminal keeps TIOCEXCL after the last close; clear it so
        // that the next opener, root or not, gets the port at once.
        ::ioctl(FFd, TIOCNXCL);
        ::flock(FFd, LOCK_UN);
        ::close(FFd);
        FFd = -1;
    }

  private:
    bool drain(TClock::time_point deadline);
    void wakeWhenIn(std::size_t n);

    int FFd;
    int FBaud;
    TOutputQueue FOutputQueue;
    int FVmin = -1; // VMIN as last set by wakeWhenIn; -1 not yet
};

// Writes everything, then waits until the bytes have left the driver, so
// that the read time-out of the answer counts from the moment the logger can
// have the whole request, and a later purge of the input finds nothing of
// ours on its way.  The whole write, waits included, has one deadline: 200 +
// n ms plus the line time of the n bytes.  A driver that takes no more bytes
// by then gives a short count (the session's exchange fails); one that does
// not send what it took fails the write, as a refused write does: a stalled
// USB driver must not hold the session beyond that, nor past a cancel.
bool TPosixPort::write(const std::uint8_t* data, std::size_t n, std::size_t& written) {
    written = 0;
    if (FFd < 0) return false;
    const auto deadline = TClock::now() + std::chrono::milliseconds(writeDeadlineMs(n, FBaud));
    while (written < n) {
        const ssize_t r = ::write(FFd, data + written, n - written);
        if (r > 0) {
            written += static_cast<std::size_t>(r);
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        const int ms = msLeft(deadline);
        if (ms == 0) return true; // short count
        pollfd p{FFd, POLLOUT, 0};
        const int pr = ::poll(&p, 1, ms);
        if (pr < 0 && errno != EINTR) return false;
        if (pr > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return false;
    }
    return drain(deadline);
}

// Waits until the driver holds nothing more to send, looking again after the
// time the bytes still queued take on the line; false when they have not
// left by the deadline or the driver cannot tell.  (tcdrain would wait
// without any bound, and only a signal could cut it short.)
bool TPosixPort::drain(TClock::time_point deadline) {
    for (;;) {
        std::size_t queued = 0;
        if (!FOutputQueue(FFd, queued)) return false;
        if (queued == 0) return true;
        const int ms = msLeft(deadline);
        if (ms == 0) return false;
        const int pause = std::clamp(lineTimeMs(queued, FBaud), 1, ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
    }
}

// Asks the line discipline to report the port readable only once n more
// bytes are in: VMIN = n (it holds at most 255), VTIME 0, set only when it
// changes.  poll honours VMIN in non-canonical mode; read does not, as the
// descriptor is non-blocking: it takes what is there and gives EAGAIN when
// nothing is (VMIN stays above 0, so 0 still means end of file).  A port
// that refuses the change is waited on as it is: the deadline still holds.
void TPosixPort::wakeWhenIn(std::size_t n) {
    constexpr std::size_t cMaxVmin = std::numeric_limits<cc_t>::max();
    const int vmin = static_cast<int>(std::clamp<std::size_t>(n, 1, cMaxVmin));
    if (vmin == FVmin) return;
    termios tio{};
    if (::tcgetattr(FFd, &tio) != 0) return;
    tio.c_cc[VMIN] = static_cast<cc_t>(vmin);
    tio.c_cc[VTIME] = 0;
    FVmin = ::tcsetattr(FFd, TCSANOW, &tio) == 0 ? vmin : -1;
}

// Reads up to n bytes by the line's time-out rule.  A short count is a
// time-out.  The other side going away is a failure, not a time-out: a USB
// adapter pulled out, or the master of a pseudo-terminal closed, gives EIO,
// end of file or POLLHUP, and the session must end with a port error rather
// than poll a dead line until its retries run out.
bool TPosixPort::read(std::uint8_t* data, std::size_t n, std::size_t& got) {
    got = 0;
    if (FFd < 0) return false;
    if (n == 0) return true;
    const auto deadline = TClock::now() + std::chrono::milliseconds(readTimeoutMs(n));
    bool bHangup = false;
    for (;;) {
        const ssize_t r = ::read(FFd, data + got, n - got);
        if (r > 0) {
            got += static_cast<std::size_t>(r);
            if (got == n) return true;
            continue;
        }
        // VMIN is above 0 and the descriptor non-blocking: "nothing yet" is
        // EAGAIN, so 0 is the end of the line.
        if (r == 0) return false;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
        if (bHangup) return false;
        const int ms = msLeft(deadline);
        if (ms == 0) return true;
        wakeWhenIn(n - got);
        pollfd p{FFd, POLLIN, 0};
        const int pr = ::poll(&p, 1, ms);
        if (pr < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (pr > 0 && (p.revents & POLLNVAL)) return false;
        // On POLLHUP/POLLERR read once more: bytes still buffered come first.
        if (pr > 0 && (p.revents & (POLLHUP | POLLERR))) bHangup = true;
    }
}

// The line settings, made from scratch: raw 8N1 at iBaud, receiver on, modem
// status lines ignored, no flow control, no character processing.
bool applyLineSettings(int fd, termios tio, int iBaud) {
    const speed_t speed = speedFor(iBaud);
    if (speed == B0) {
        errno = EINVAL;
        return false;
    }
    tio.c_iflag = 0;                            // no parity check, no CR/NL mapping, no XON/XOFF
    tio.c_oflag = 0;                            // no output processing
    tio.c_lflag = 0;                            // not canonical, no echo, no signals
    tio.c_cflag = CS8 | CREAD | CLOCAL | HUPCL; // no PARENB, no CSTOPB, no CRTSCTS
    for (cc_t& c : tio.c_cc)
        c = 0;
    tio.c_cc[VMIN] = 1; // with O_NONBLOCK: EAGAIN when empty, 0 only at end of file
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return false;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return false;
    // tcsetattr succeeds when any part took effect; make sure all of it did.
    termios now{};
    if (::tcgetattr(fd, &now) != 0) return false;
    const tcflag_t cMask = CSIZE | PARENB | CSTOPB | CRTSCTS | CREAD;
    if ((now.c_cflag & cMask) != (tio.c_cflag & cMask) || ::cfgetospeed(&now) != speed ||
        (now.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | INPCK)) != 0 ||
        (now.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) != 0 || (now.c_oflag & OPOST) != 0) {
        errno = EINVAL;
        return false;
    }
    return true;
}

// A USB serial adapter holds received bytes back until its latency timer
// runs out (16 ms by default on common ones), so the tail of every echo
// would come that much late; asked for low latency, its driver hands bytes
// on at once.  Optional: a driver that does not know the request (a
// pseudo-terminal answers ENOTTY) leaves the port as it is.
void askLowLatency(int fd) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) == 0 && (ss.flags & ASYNC_LOW_LATENCY) == 0) {
        ss.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &ss);
    }
#else
    (void)fd;
#endif
}

// The line settings leave both modem lines off; then DTR goes on, RTS stays
// off.  A port without modem lines (a pseudo-terminal) refuses the requests
// with ENOTTY or EINVAL and is used without them.
bool setModemLines(int fd) {
    int bits = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIC, &bits) != 0) return errno == ENOTTY || errno == EINVAL;
    bits = TIOCM_DTR;
    if (::ioctl(fd, TIOCMBIS, &bits) != 0) return errno == ENOTTY || errno == EINVAL;
    return true;
}

// Closes what was opened before the failing step and tells why it failed.
// Until we hold the lock the port may belong to someone else, so a plain
// close: its exclusive flag is not ours to clear.
TPortHandle failed(TPortProblem& problem, TPortStep step, const char* sCall, int err,
                   const std::string& sPath, int fd = -1) {
    problem = portProblemFor(step, sCall, err, sPath);
    if (fd >= 0) ::close(fd);
    return nullptr;
}

} // namespace

std::string devicePath(const std::string& sPort) {
    return sPort.front() == '/' ? sPort : "/dev/" + sPort;
}

int lineTimeMs(std::size_t n, int iBaud) {
    constexpr std::size_t cBitsPerByte = 10; // start bit, 8 data bits, stop bit
    if (iBaud <= 0) return 0;
    const std::size_t baud = static_cast<std::size_t>(iBaud);
    return static_cast<int>((n * cBitsPerByte * 1000 + baud - 1) / baud);
}

int writeDeadlineMs(std::size_t n, int iBaud) {
    return readTimeoutMs(n) + lineTimeMs(n, iBaud);
}

bool driverOutputQueue(int fd, std::size_t& queued) {
    queued = 0;
    int n = 0;
    if (::ioctl(fd, TIOCOUTQ, &n) != 0) return false;
    if (n > 0) {
        queued = static_cast<std::size_t>(n);
        return true;
    }
#ifdef TIOCSERGETLSR
    // The last byte may still be in the transmitter; a driver that cannot
    // tell (a pseudo-terminal, most USB adapters) refuses the request.
    unsigned int lsr = 0;
    if (::ioctl(fd, TIOCSERGETLSR, &lsr) == 0 && (lsr & TIOCSER_TEMT) == 0) queued = 1;
#endif
    return true;
}

TPortHandle makePosixPort(int fd, int iBaud, TOutputQueue outputQueue) {
    return std::make_unique<TPosixPort>(fd, iBaud, std::move(outputQueue));
}

TPortHandle openPosixPort(const std::string& sPort, int iBaud, TPortProblem& problem) {
    problem = {};
    if (sPort.empty()) return failed(problem, TPortStep::name, "", ENOENT, sPort);
    const std::string sPath = devicePath(sPort);

    const int fd = ::open(sPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failed(problem, TPortStep::open, "open", errno, sPath);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return failed(problem, TPortStep::lock, "flock", errno, sPath, fd);
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return failed(problem, TPortStep::terminal, "tcgetattr", errno, sPath, fd);
    if (::ioctl(fd, TIOCEXCL) != 0)
        return failed(problem, TPortStep::lock, "TIOCEXCL", errno, sPath, fd);
    // From here on the port object owns the descriptor and clears TIOCEXCL
    // when it is dropped.
    TPortHandle hPort = makePosixPort(fd, iBaud);
    if (!applyLineSettings(fd, tio, iBaud)) {
        const int err = errno;
        hPort.reset();
        return failed(problem, TPortStep::settings, "tcsetattr", err, sPath);
    }
    askLowLatency(fd);
    if (!setModemLines(fd)) {
        const int err = errno;
        hPort.reset();
        return failed(problem, TPortStep::modemLines, "TIOCMBIC/TIOCMBIS", err, sPath);
    }
    return hPort;
}

TPortHandle openNativePort(const std::string& sPort, int iBaud, TPortProblem& problem) {
    return openPosixPort(sPort, iBaud, problem);
}
