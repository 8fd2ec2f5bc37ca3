#include "TSimulatedLogger.h"

#include "TLoggerProtocol.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

constexpr int cPollMs = 50;
// How long an answer may wait for room in the terminal's buffer before the
// rest of it is lost, as it would be on a line that nobody reads.
constexpr auto cWriteGiveUp = std::chrono::seconds(2);

std::string errnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

} // namespace

TSimulatedLogger::TSimulatedLogger(TSimConfig config)
    : FConfig(std::move(config)), FProtocol(std::make_unique<TLoggerProtocol>(FConfig)) {}

TSimulatedLogger::~TSimulatedLogger() {
    stop();
}

bool TSimulatedLogger::start() {
    if (FStarted) {
        FError = "the simulated logger was started before";
        return false;
    }
    FStarted = true;

    // Close-on-exec: a program the tests start (the updater under test) must
    // not inherit the logger's end of the line, or cutting the line would
    // leave it open in that program and the cut would go unseen.
    FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0) {
        FError = errnoText("posix_openpt");
        return false;
    }
    char name[128] = {};
    if (::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0 ||
        ::ptsname_r(FMaster, name, sizeof name) != 0) {
        FError = errnoText("pseudo-terminal setup");
        closeFd(FMaster);
        return false;
    }
    // Termios calls on the master act on the slave: raw, so that no byte is
    // translated or echoed.
    termios tio{};
    if (::tcgetattr(FMaster, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ::tcsetattr(FMaster, TCSANOW, &tio);
    }
    ::fcntl(FMaster, F_SETFL, ::fcntl(FMaster, F_GETFL) | O_NONBLOCK);

    FSlave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int pipeFds[2] = {-1, -1};
    if (FSlave < 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        FError = errnoText("pseudo-terminal slave");
        closeFd(FSlave);
        closeFd(FMaster);
        return false;
    }
    FWakeRead = pipeFds[0];
    FWakeWrite = pipeFds[1];
    FPortPath = name;
    FLastInput = TClock::now();
    FThread = std::thread([this] { run(); });
    return true;
}

void TSimulatedLogger::stop() {
    if (!FThread.joinable()) return;
    FStopping = true;
    const char wake = 1;
    [[maybe_unused]] auto ignored = ::write(FWakeWrite, &wake, 1);
    FThread.join();
    std::lock_guard lock(FMutex);
    closeLine();
    closeFd(FWakeRead);
    closeFd(FWakeWrite);
}

bool TSimulatedLogger::lineCut() const {
    std::lock_guard lock(FMutex);
    return FProtocol->lineCut();
}

TSimRecord TSimulatedLogger::record() const {
    std::lock_guard lock(FMutex);
    return FProtocol->record();
}

bool TSimulatedLogger::waitFor(const std::function<bool(const TSimRecord&)>& pred,
                               std::chrono::milliseconds timeout) const {
    std::unique_lock lock(FMutex);
    return FChanged.wait_for(lock, timeout, [&] { return pred(FProtocol->record()); });
}

void TSimulatedLogger::closeLine() {
    closeFd(FSlave);
    closeFd(FMaster);
}

void TSimulatedLogger::run() {
    while (!FStopping) {
        pollfd fds[2] = {{FMaster, POLLIN, 0}, {FWakeRead, POLLIN, 0}};
        const int ready = ::poll(fds, 2, cPollMs);
        if (FStopping) break;
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents & POLLIN) {
            handleInput();
            if (FMaster < 0) break; // the line was cut
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // No slave open (only if our own descriptor is gone): wait for one.
            std::this_thread::sleep_for(std::chrono::milliseconds(cPollMs));
        }
        std::lock_guard lock(FMutex);
        if (FProtocol->hasPartialInput() && TClock::now() - FLastInput > cIdleResync)
            FProtocol->dropPartialInput();
    }
    std::lock_guard lock(FMutex);
    FChanged.notify_all();
}

void TSimulatedLogger::handleInput() {
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(FMaster, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            std::this_thread::sleep_for(std::chrono::milliseconds(cPollMs));
        return;
    }
    awaitInputLineTime(static_cast<std::size_t>(n));
    std::vector<std::uint8_t> answer;
    bool bCut = false;
    {
        std::lock_guard lock(FMutex);
        FLastInput = TClock::now();
        FProtocol->receive(buffer, static_cast<std::size_t>(n), answer);
        bCut = FProtocol->lineCut();
    }
    FChanged.notify_all();
    if (!answer.empty()) writeAnswer(answer.data(), answer.size());
    if (bCut) {
        std::lock_guard lock(FMutex);
        closeLine();
        FChanged.notify_all();
    }
}

void TSimulatedLogger::writeAnswer(const std::uint8_t* data, std::size_t n) {
    if (FConfig.baud <= 0) {
        writeSome(data, n);
        return;
    }
    // A byte is handed over once its last bit would have arrived.
    const auto step = byteTime();
    auto due = std::max(TClock::now(), FLineFreeAt);
    for (std::size_t i = 0; i < n && !FStopping; ++i) {
        due += step;
        std::this_thread::sleep_until(due);
        if (!writeSome(data + i, 1)) break;
    }
    FLineFreeAt = due;
}

std::chrono::steady_clock::duration TSimulatedLogger::byteTime() const {
    // Each byte is 10 bits on the line: start bit, 8 data bits, stop bit.
    return std::chrono::duration_cast<TClock::duration>(
        std::chrono::nanoseconds(10'000'000'000LL / FConfig.baud));
}

void TSimulatedLogger::awaitInputLineTime(std::size_t n) {
    if (FConfig.baud <= 0 || !FConfig.paceInput) return;
    // The bytes just read have been on the line since they were written at
    // the earliest; they count as received when their last bit is in.
    FInputFreeAt = std::max(TClock::now(), FInputFreeAt) + byteTime() * static_cast<long>(n);
    while (!FStopping && TClock::now() < FInputFreeAt)
        std::this_thread::sleep_until(
            std::min(FInputFreeAt, TClock::now() + std::chrono::milliseconds(cPollMs)));
}

bool TSimulatedLogger::writeSome(const std::uint8_t* data, std::size_t n) {
    const auto giveUp = TClock::now() + cWriteGiveUp;
    while (n > 0 && !FStopping) {
        const ssize_t w = ::write(FMaster, data, n);
        if (w > 0) {
            data += w;
            n -= static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) return false;
        if (TClock::now() > giveUp) return false;
        pollfd out{FMaster, POLLOUT, 0};
        ::poll(&out, 1, cPollMs);
    }
    return n == 0;
}
