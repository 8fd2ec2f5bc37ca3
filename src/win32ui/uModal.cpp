#include "win32ui/uModal.h"

namespace {

struct TBackSearch {
    HWND dialog;
    HWND owner;
    HWND found = nullptr;
};

// A shown, enabled window of this thread owned by the owner, other than the
// dialog: the modal window of ours that keeps the owner disabled.
BOOL CALLBACK findEnabledOwned(HWND h, LPARAM data) {
    auto* search = reinterpret_cast<TBackSearch*>(data);
    if (h != search->dialog && GetWindow(h, GW_OWNER) == search->owner && IsWindowVisible(h) &&
        IsWindowEnabled(h)) {
        search->found = h;
        return FALSE;
    }
    return TRUE;
}

// The window that gets the keyboard back when hDlg is done: the owner when
// it takes input, else the modal window of ours over it (the overview).
HWND windowBack(HWND hDlg, HWND hOwner) {
    if (!hOwner || IsWindowEnabled(hOwner)) return hOwner;
    TBackSearch search{hDlg, hOwner};
    EnumThreadWindows(GetCurrentThreadId(), findEnabledOwned, reinterpret_cast<LPARAM>(&search));
    return search.found ? search.found : hOwner;
}

} // namespace

void runModal(HWND hDlg, HWND hOwner, const bool& done) {
    const bool ownerEnabled = hOwner && IsWindowEnabled(hOwner);
    if (ownerEnabled) EnableWindow(hOwner, FALSE);
    ShowWindow(hDlg, SW_SHOW);
    SetForegroundWindow(hDlg);
    MSG msg;
    while (!done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (IsDialogMessageW(hDlg, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The owner enabled first, and the window that gets the keyboard back
    // activated before this one hides, so that the activation goes to it,
    // not to a disabled window or to another program.
    if (ownerEnabled) EnableWindow(hOwner, TRUE);
    const HWND back = windowBack(hDlg, hOwner);
    if (back) SetForegroundWindow(back);
    ShowWindow(hDlg, SW_HIDE);
    if (back && GetActiveWindow() != back) SetActiveWindow(back);
}
