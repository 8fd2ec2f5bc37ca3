#include "win32ui/uModal.h"

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
    // The owner first, so that it, not another program, becomes active.
    if (ownerEnabled) EnableWindow(hOwner, TRUE);
    ShowWindow(hDlg, SW_HIDE);
    if (hOwner) SetActiveWindow(hOwner);
}
