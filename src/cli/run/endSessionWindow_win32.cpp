#include "cli/run/endSessionWindow_win32.h"

#include "platform/uWindows.h"

#include <thread>

namespace {

void (*gOnEnd)() = nullptr;
int gHoldMs = 0;

LRESULT CALLBACK endSessionProc(HWND hWindow, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_QUERYENDSESSION:
        return TRUE; // the session may end: the cancel follows with WM_ENDSESSION
    case WM_ENDSESSION:
        if (wParam) {
            gOnEnd();
            // Windows ends the program once this returns (or when its time
            // is up).
            Sleep(static_cast<DWORD>(gHoldMs));
        }
        return 0;
    default:
        return DefWindowProcW(hWindow, msg, wParam, lParam);
    }
}

void runWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = endSessionProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Tarvek2CliEndSession";
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
    // Top-level (a message-only window hears no broadcast), never shown.
    HWND hWindow = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    if (!hWindow) return;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

} // namespace

void watchEndOfUserSession(void (*onEnd)(), int holdMs) {
    gOnEnd = onEnd;
    gHoldMs = holdMs;
    // Lives until the program ends; it touches nothing that the program's
    // end destroys.
    std::thread(runWindow).detach();
}
