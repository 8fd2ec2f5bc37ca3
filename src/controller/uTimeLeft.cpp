#include "controller/uTimeLeft.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string clockText(std::int64_t seconds) {
    const long long s = std::max<long long>(0, seconds);
    char buf[32];
    if (s >= 3600)
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(buf, sizeof buf, "%lld:%02lld", s / 60, s % 60);
    return buf;
}

} // namespace

std::int64_t estimateRemainingMs(std::int64_t writingMs, int percent) {
    if (percent >= 100) return 0;
    if (percent <= 0 || writingMs < 0) return -1;
    const int toWrite = 99 - std::min(percent, 99);
    return writingMs * toWrite / percent + cWaitsAfterLastRecordMs;
}

std::int64_t remainingMsAt(std::int64_t remainingMs, std::int64_t estimatedAtMs,
                           std::int64_t nowMs) {
    if (remainingMs < 0) return -1;
    return std::max<std::int64_t>(0,
                                  remainingMs - std::max<std::int64_t>(0, nowMs - estimatedAtMs));
}

std::string timeLeftText(std::int64_t remainingMs) {
    return clockText((std::max<std::int64_t>(0, remainingMs) + 999) / 1000);
}

std::string elapsedText(std::int64_t elapsedMs) {
    return clockText(std::max<std::int64_t>(0, elapsedMs) / 1000);
}

std::string progressCaption(int percent, std::int64_t remainingMs) {
    if (remainingMs < 0) return std::to_string(percent) + "%";
    return std::to_string(percent) + "% - " + timeLeftText(remainingMs) + " left";
}
