// The hot-plug events of Windows: the system sends WM_DEVICECHANGE to every
// top-level window when a port arrives or goes.  The source owns a hidden
// top-level window of its own on the thread that starts it, so that a console
// program hears the message too; a window program's message loop delivers it,
// a console program's calls of takePortChange() do.  Not every serial driver
// announces its ports, so the watcher reads the serial device map besides.
#include "serial/uPortListFilter.h"
#include "serial/uPortWatcher.h"

#include "platform/uWindows.h"
// after windows.h, which it needs
#include <dbt.h>

#include <cstddef>
#include <cstdint>
#include <utility>

static_assert(offsetof(DEV_BROADCAST_HDR, dbch_devicetype) == sizeof(std::uint32_t),
              "the device type follows the 32-bit size");
static_assert(DBT_DEVICEARRIVAL == cDBT_DEVICEARRIVAL);
static_assert(DBT_DEVICEREMOVECOMPLETE == cDBT_DEVICEREMOVECOMPLETE);
static_assert(DBT_DEVTYP_PORT == cDBT_DEVTYP_PORT);

namespace {

constexpr wchar_t cWindowClass[] = L"Tarvek2PortEvents";

class TDeviceChangePortEvents final : public IPortEvents {
  public:
    ~TDeviceChangePortEvents() override {
        if (FhWnd) DestroyWindow(FhWnd);
    }

    bool start(std::function<void()> wake) override {
        FWake = std::move(wake);
        const HINSTANCE hInstance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = hInstance;
        wc.lpszClassName = cWindowClass;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
        // Top-level and never shown: a message-only window would not receive
        // the broadcast.
        FhWnd = CreateWindowExW(WS_EX_TOOLWINDOW, cWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, hInstance, this);
        return FhWnd != nullptr;
    }

    int fd() const override { return -1; }

    bool takePortChange() override {
        // Sent messages are delivered while the thread looks at its queue.
        // Not from within the window's own handler (a wake that asks).
        if (FhWnd && !FInHandler) {
            MSG msg;
            while (PeekMessageW(&msg, FhWnd, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
        }
        return std::exchange(FPending, false);
    }

    bool tellsEveryChange() const override { return false; }

  private:
    static LRESULT CALLBACK windowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hWnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self =
            reinterpret_cast<TDeviceChangePortEvents*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (msg == WM_DEVICECHANGE && self) {
            if (isPortChangeEvent(static_cast<std::uint64_t>(wParam),
                                  reinterpret_cast<const void*>(lParam))) {
                self->FPending = true;
                if (self->FWake) {
                    self->FInHandler = true;
                    self->FWake();
                    self->FInHandler = false;
                }
            }
            return TRUE;
        }
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    }

    HWND FhWnd = nullptr;
    std::function<void()> FWake;
    bool FPending = false;
    bool FInHandler = false;
};

} // namespace

std::unique_ptr<IPortEvents> makePortEvents() {
    return std::make_unique<TDeviceChangePortEvents>();
}
