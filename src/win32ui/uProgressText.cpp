#include "win32ui/uProgressText.h"

#include <cstdio>

std::string progressText(int percent, std::int64_t remainingMs) {
    char text[64];
    if (remainingMs < 0) {
        std::snprintf(text, sizeof text, "%d%%", percent);
    } else {
        const long long seconds = (remainingMs + 999) / 1000; // never "0:00" while work is left
        std::snprintf(text, sizeof text, "%d%% - %lld:%02lld left", percent, seconds / 60,
                      seconds % 60);
    }
    return text;
}
