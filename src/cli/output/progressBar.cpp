#include "cli/output/progressBar.h"

#include "controller/uTimeLeft.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include "platform/uWindows.h"
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

constexpr std::int64_t cRedrawEveryMs = 200;

} // namespace

std::string progressBarText(int percent, std::int64_t elapsedMs, std::int64_t remainingMs,
                            int width) {
    percent = std::clamp(percent, 0, 100);
    char tail[96];
    std::snprintf(tail, sizeof tail, " %3d%%  %s elapsed  %s left", percent,
                  elapsedText(elapsedMs).c_str(),
                  remainingMs < 0 ? "--:--" : timeLeftText(remainingMs).c_str());
    const int room = width - 1 - static_cast<int>(std::string(tail).size()) - 2;
    std::string text;
    if (room >= 10) {
        const int cells = std::min(room, 40);
        const int full = cells * percent / 100;
        text = "[" + std::string(full, '#') + std::string(cells - full, '.') + "]";
    }
    text += tail;
    if (width > 1 && static_cast<int>(text.size()) > width - 1) text.resize(width - 1);
    return text;
}

TProgressBar::TProgressBar(std::ostream& err, IClock& clock, int width)
    : FErr(err), FClock(clock), FWidth(width), FStart(clock.nowMs()) {}

void TProgressBar::update(int percent, std::int64_t remainingMs, std::int64_t estimatedAtMs) {
    FPercent = std::clamp(percent, 0, 100);
    FRemainingMs = remainingMs;
    FEstimatedAtMs = estimatedAtMs;
}

void TProgressBar::redraw(bool force) {
    const std::int64_t now = FClock.nowMs();
    if (!force && FLastDraw >= 0 && now - FLastDraw < cRedrawEveryMs) return;
    FLastDraw = now;
    const std::string text = progressBarText(
        FPercent, now - FStart, remainingMsAt(FRemainingMs, FEstimatedAtMs, now), FWidth);
    if (FShown > 0 && text == FText) return; // already on the line
    std::string line = "\r" + text;
    if (text.size() < FShown) line += std::string(FShown - text.size(), ' ') + "\r" + text;
    FErr << line << std::flush;
    FShown = text.size();
    FText = text;
}

void TProgressBar::clear() {
    if (FShown == 0) return;
    FErr << '\r' << std::string(FShown, ' ') << '\r' << std::flush;
    FShown = 0;
}

int terminalWidth() {
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize ws{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
#endif
    // Where the terminal does not say, the shell may.
    if (const char* columns = std::getenv("COLUMNS")) {
        char* end = nullptr;
        const long n = std::strtol(columns, &end, 10);
        if (end != columns && *end == '\0' && n >= 20 && n <= 1000) return static_cast<int>(n);
    }
    return 80;
}
