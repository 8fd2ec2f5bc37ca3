#include "win32ui/uConfirm.h"

#include "win32ui/uDesign.h"

namespace {

thread_local HHOOK tHook = nullptr;

// The system's message box carries the buttons in the system's language;
// they get their English texts the moment the box is activated.
LRESULT CALLBACK englishButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDYES, L"Yes");
        SetDlgItemTextW(box, IDNO, L"No");
    }
    return CallNextHookEx(tHook, code, wParam, lParam);
}

} // namespace

bool askConfirm(HWND hOwner, const std::string& question) {
    tHook = SetWindowsHookExW(WH_CBT, englishButtons, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(hOwner, crlf(wide(question)).c_str(), L"Confirm",
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1 | MB_APPLMODAL);
    if (tHook) UnhookWindowsHookEx(tHook);
    tHook = nullptr;
    return answer == IDYES;
}
