// Where the session thread posts: each notification becomes the window
// message WM_USER (0x0400) to the main window, the kind in wParam and the
// value in lParam.  PostMessageW never waits for the window.
#pragma once

#include "session/uNotify.h"
#include "win32ui/uWin.h"

class TPostMessageSink final : public INotifySink {
  public:
    void attach(HWND hWnd) { FhWnd = hWnd; }
    void post(const TNotification& n) override;
    // The notification that a WM_USER message carries.
    static TNotification fromMessage(WPARAM wParam, LPARAM lParam);

  private:
    HWND FhWnd = nullptr;
};
