// The firmware overview: the images the program can offer, one row each, the
// chosen image file's header first, in a report-style list view with six
// columns that fit their contents.  It only reads the catalog.
#pragma once

#include "images/uFWCatalog.h"
#include "win32ui/uWin.h"

class TfrmInfo {
  public:
    TfrmInfo(HWND hMain, const TFWCatalog& catalog);
    ~TfrmInfo();
    TfrmInfo(const TfrmInfo&) = delete;
    TfrmInfo& operator=(const TfrmInfo&) = delete;

    // Fills the list, places the window at ALeft, ATop with the outer height
    // AHeight and a client width of the columns' widths + 30, and shows it
    // modally.  AWidth does not matter: the columns decide the width.
    int Execute(int ALeft, int ATop, int AWidth, int AHeight);
    HWND handle() const { return FhWnd; }

  private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    void fillRows();
    // Fits the columns (desktop/uOverviewDesign.h); returns the client width.
    int autoSizeColumns();
    const TFWCatalog& FCatalog;
    HWND FhOwner;
    HWND FhWnd = nullptr;
    HWND FhList = nullptr;
    HWND FhButton = nullptr;
    HFONT FFont = nullptr;
    int FDpi = 96;
    bool FDone = false;
};
