#include "win32ui/uPortBox.h"

#include "serial/uPortList.h"
#include "win32ui/uDesign.h"

void fillPortBox(HWND hBox, const std::vector<std::string>& names) {
    const std::wstring text = windowText(hBox);
    SendMessageW(hBox, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) {
        const std::wstring w = wide(name);
        SendMessageW(hBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
    SetWindowTextW(hBox, text.c_str());
}

void fillPortBoxAtStart(HWND hBox) {
    std::vector<std::string> names;
    getPortList(names);
    fillPortBox(hBox, names);
    if (!names.empty()) SendMessageW(hBox, CB_SETCURSEL, 0, 0);
}

void portBoxChanged(HWND hBox) {
    std::vector<std::string> names;
    getPortList(names);
    fillPortBox(hBox, names);
    // GetActiveWindow is null unless a window of this thread is active.
    if (GetActiveWindow() && IsWindowEnabled(hBox)) {
        if (SendMessageW(hBox, CB_GETDROPPEDSTATE, 0, 0))
            SendMessageW(hBox, CB_SHOWDROPDOWN, FALSE, 0);
        InvalidateRect(hBox, nullptr, TRUE);
        UpdateWindow(hBox);
        SendMessageW(hBox, CB_SHOWDROPDOWN, TRUE, 0);
    }
}
