#include "controller/uTimeLeft.h"

#include <algorithm>
#include <cstdio>

std::int64_t estimateRemainingMs(std::int64_t writingMs, int percent) {
    if (percent >= 100) return 0;
    if (percent <= 0 || writingMs < 0) return -1;
    const int toWrite = 99 - std::min(percent, 99);
    return writingMs * toWrite / percent + cWaitsAfterLastRecordMs;
}

std::string progressCaption(int percent, std::int64_t remainingMs) {
    char buf[64];
    if (remainingMs < 0) {
        std::snprintf(buf, sizeof buf, "%d%%", percent);
    } else {
        const long long seconds = (remainingMs + 999) / 1000;
        std::snprintf(buf, sizeof buf, "%d%% - %lld:%02lld left", percent, seconds / 60,
                      seconds % 60);
    }
    return buf;
}
