// The report window: every step of a session as one time-stamped line
// ("hh-nn-ss -> text").  Docked under the main window, as wide as it; it has
// no close button, so the operator cannot close it.  Shown in internal mode
// only; its lines are collected in every mode.
#pragma once

#include "win32ui/uWin.h"

#include <ctime>
#include <string>

class TfrmProtocol {
  public:
    // Created hidden, under hMain's outer rectangle and as wide as it.
    explicit TfrmProtocol(HWND hMain);
    ~TfrmProtocol();
    TfrmProtocol(const TfrmProtocol&) = delete;
    TfrmProtocol& operator=(const TfrmProtocol&) = delete;

    // Appends the line of text, stamped with the local time it was added at
    // (the controller's clock), and keeps the newest line in view.
    void Add(const std::string& text, const std::tm& time);
    void Clear();
    // Moves the window so that its top edge lies on hMain's bottom edge and
    // their left edges line up; its size stays.
    void dockUnder(HWND hMain);
    // Gives the window hMain's outer width.
    void matchWidth(HWND hMain);
    void show();
    void dpiChanged(int dpi);
    HWND handle() const { return FhWnd; }

  private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    HWND FhWnd = nullptr;
    HWND FhMemo = nullptr;
    HFONT FFont = nullptr;
};
