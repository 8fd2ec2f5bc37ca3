#include "win32ui/uShutdownBlock.h"

namespace {

using TReasonCreate = BOOL(WINAPI*)(HWND, LPCWSTR);
using TReasonDestroy = BOOL(WINAPI*)(HWND);

FARPROC user32(const char* name) {
    static HMODULE module = GetModuleHandleW(L"user32.dll");
    return module ? GetProcAddress(module, name) : nullptr;
}

} // namespace

void setShutdownBlock(HWND hWnd, bool blocked) {
    if (blocked) {
        static const auto create = reinterpret_cast<TReasonCreate>(
            reinterpret_cast<void*>(user32("ShutdownBlockReasonCreate")));
        if (create) create(hWnd, cShutdownBlockReason);
    } else {
        static const auto destroy = reinterpret_cast<TReasonDestroy>(
            reinterpret_cast<void*>(user32("ShutdownBlockReasonDestroy")));
        if (destroy) destroy(hWnd);
    }
}
