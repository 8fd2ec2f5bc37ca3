#include "ptyEcho.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;

// Reads exactly n bytes from a non-blocking descriptor, waiting in poll.
bool readAll(int fd, unsigned char* data, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, data + got, n - got);
        if (r > 0) {
            got += static_cast<std::size_t>(r);
            continue;
        }
        if (r == 0 || (errno != EAGAIN && errno != EINTR)) return false;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1000) <= 0) return false;
    }
    return true;
}

bool writeAll(int fd, const unsigned char* data, std::size_t n) {
    std::size_t put = 0;
    while (put < n) {
        const ssize_t r = ::write(fd, data + put, n - put);
        if (r > 0) {
            put += static_cast<std::size_t>(r);
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EINTR) return false;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 1000) <= 0) return false;
    }
    return true;
}

// The updater's line settings: raw 9600 8N1, receiver on, modem lines
// ignored, no flow control, VMIN 1 / VTIME 0 on a non-blocking descriptor.
bool lineSettings(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return false;
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag = CS8 | CREAD | CLOCAL | HUPCL;
    for (cc_t& c : tio.c_cc)
        c = 0;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

std::vector<double> measurePtyEcho(int exchanges, std::size_t bytes) {
    std::vector<double> times;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return times;
    termios raw{};
    ::tcgetattr(master, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(master, TCSANOW, &raw);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0 || !lineSettings(slave)) {
        ::close(master);
        return times;
    }

    // The far end: echo every record as it came.
    std::thread echo([&] {
        std::vector<unsigned char> buf(bytes);
        for (int i = 0; i < exchanges; ++i)
            if (!readAll(master, buf.data(), bytes) || !writeAll(master, buf.data(), bytes)) return;
    });

    std::vector<unsigned char> out(bytes, 'A'), in(bytes);
    out[0] = ':';
    times.reserve(static_cast<std::size_t>(exchanges));
    for (int i = 0; i < exchanges; ++i) {
        const auto t0 = TClock::now();
        // One exchange as the updater makes it: write, wait until the bytes
        // have left, read the echo.
        if (!writeAll(slave, out.data(), bytes) || ::tcdrain(slave) != 0 ||
            !readAll(slave, in.data(), bytes)) {
            times.clear();
            break;
        }
        times.push_back(std::chrono::duration<double, std::micro>(TClock::now() - t0).count());
    }
    echo.join();
    ::close(slave);
    ::close(master);
    return times;
}
