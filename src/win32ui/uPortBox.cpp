#include "win32ui/uPortBox.h"

#include "desktop/uPortBoxRule.h"
#include "serial/uPortList.h"
#include "win32ui/uDesign.h"

namespace {

std::vector<std::string> presentPorts() {
    std::vector<std::string> names;
    getPortList(names);
    return names;
}

// The port box's rules applied to the combo box.
void applyFill(HWND hBox, const TPortBoxFill& fill) {
    SendMessageW(hBox, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : fill.items) {
        const std::wstring w = wide(name);
        SendMessageW(hBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
    if (fill.selectFirst) SendMessageW(hBox, CB_SETCURSEL, 0, 0);
    SetWindowTextW(hBox, wide(fill.text).c_str());
    if (fill.closeDropDown) SendMessageW(hBox, CB_SHOWDROPDOWN, FALSE, 0);
    if (fill.openDropDown) {
        InvalidateRect(hBox, nullptr, TRUE);
        UpdateWindow(hBox);
        SendMessageW(hBox, CB_SHOWDROPDOWN, TRUE, 0);
    }
}

} // namespace

void fillPortBox(HWND hBox, const std::vector<std::string>& names) {
    applyFill(hBox, portBoxOnOpen(names, narrow(windowText(hBox))));
}

void fillPortBoxAtStart(HWND hBox, const std::string& optionPort) {
    applyFill(hBox, portBoxAtStart(presentPorts(), optionPort));
}

void portBoxChanged(HWND hBox) {
    // GetActiveWindow is null unless a window of this thread is active.
    applyFill(hBox, portBoxRefill(presentPorts(), narrow(windowText(hBox)),
                                  GetActiveWindow() != nullptr, IsWindowEnabled(hBox) != FALSE,
                                  SendMessageW(hBox, CB_GETDROPPEDSTATE, 0, 0) != 0));
}
