#include "win32ui/uModal.h"

void runModal(HWND hDlg, HWND hOwner, const bool& done) {
    // The window that had the keyboard before: the main window, or a modal
    // window of ours over it (the overview) that keeps it disabled.
    const HWND before = GetActiveWindow();
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
    // The owner enabled first, and the window that was active before
    // activated before this one hides, so that the activation goes back to
    // it, not to a disabled window or to another program.
    if (ownerEnabled) EnableWindow(hOwner, TRUE);
    const HWND back = before && before != hDlg && IsWindow(before) && IsWindowVisible(before) &&
                              IsWindowEnabled(before)
                          ? before
                          : hOwner;
    if (back) SetActiveWindow(back);
    ShowWindow(hDlg, SW_HIDE);
    if (back && GetActiveWindow() != back) SetActiveWindow(back);
}
