#include "win32ui/uConfirm.h"

#include "desktop/uDesktopTexts.h"
#include "win32ui/uDesign.h"

namespace {

thread_local HHOOK tHook = nullptr;

// The system's message box carries the buttons in the system's language;
// they get their English texts the moment the box is activated.
LRESULT CALLBACK englishButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDYES, wide(cTextYes).c_str());
        SetDlgItemTextW(box, IDNO, wide(cTextNo).c_str());
    }
    return CallNextHookEx(tHook, code, wParam, lParam);
}

} // namespace

bool askConfirm(HWND hOwner, const std::string& question) {
    tHook = SetWindowsHookExW(WH_CBT, englishButtons, nullptr, GetCurrentThreadId());
    const int answer =
        MessageBoxW(hOwner, shownText(question).c_str(), wide(cTextConfirmCaption).c_str(),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1 | MB_APPLMODAL);
    if (tHook) UnhookWindowsHookEx(tHook);
    tHook = nullptr;
    return answer == IDYES;
}
