// The message window: the outcome of a session in a small modal window over
// the lower part of the main window ("Information", fixed dialog border, no
// caption buttons, "OK" closes it), as high as its text needs
// (desktop/uMessageDesign.h).  Created once, hidden, reused.
#pragma once

#include "win32ui/uWin.h"

#include <string>

class TfrmMessage {
  public:
    explicit TfrmMessage(HWND hMain);
    ~TfrmMessage();
    TfrmMessage(const TfrmMessage&) = delete;
    TfrmMessage& operator=(const TfrmMessage&) = delete;

    // Shows sMsg modally over the rectangle x, y, w, h (the main window's
    // outer rectangle): 10 in from its left and right edges, its bottom edge
    // 10 above the rectangle's; returns after "OK".
    void showMsg(const std::string& sMsg, int x, int y, int w, int h);
    HWND handle() const { return FhWnd; }

  private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    // The height the text box needs to show its text whole at its width.
    int textBoxHeightNeeded() const;
    HWND FhOwner;
    HWND FhWnd = nullptr;
    HWND FhMemo = nullptr;
    HWND FhButton = nullptr;
    HFONT FFont = nullptr;
    int FDpi = 96;
    bool FDone = false;
};
