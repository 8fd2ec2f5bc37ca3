#include "win32ui/uPostSink.h"

#include <cstdint>

void TPostMessageSink::post(const TNotification& n) {
    // The value is a signed 32-bit number; lParam carries it sign-extended.
    PostMessageW(FhWnd, WM_USER, static_cast<WPARAM>(n.kind),
                 static_cast<LPARAM>(static_cast<std::intptr_t>(n.value)));
}

TNotification TPostMessageSink::fromMessage(WPARAM wParam, LPARAM lParam) {
    TNotification n;
    n.kind = static_cast<std::uint32_t>(wParam);
    n.value = static_cast<std::int32_t>(lParam);
    return n;
}
