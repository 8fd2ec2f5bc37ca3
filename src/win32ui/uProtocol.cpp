#include "win32ui/uProtocol.h"

#include "desktop/uDesktopTexts.h"
#include "desktop/uReportDesign.h"
#include "session/uNotifyTexts.h"
#include "win32ui/uBusyCursor.h"
#include "win32ui/uControlIds.h"
#include "win32ui/uDesign.h"
#include "win32ui/uWindowClass.h"

namespace {

// Caption and sizing border; no system menu, hence no caption buttons and no
// way to close it.
constexpr DWORD cStyle = WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;

} // namespace

TfrmProtocol::TfrmProtocol(HWND hMain) {
    registerWindowClass(cReportClass, &TfrmProtocol::WndProc);
    const TSize client = cReportDesign.client;
    FhWnd = CreateWindowExW(0, cReportClass, wide(cTextReportCaption).c_str(), cStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, client.width, client.height, hMain,
                            nullptr, GetModuleHandleW(nullptr), this);
    FhMemo = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                             WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE |
                                 ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                             0, 0, client.width, client.height, FhWnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(cIdMemo)),
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(FhMemo, EM_SETLIMITTEXT, 0, 0); // no limit: the report grows for the whole run
    dpiChanged(dpiOf(hMain));
    const SIZE outer =
        outerSizeFor(FhWnd, px(client.width, dpiOf(hMain)), px(client.height, dpiOf(hMain)), false);
    SetWindowPos(FhWnd, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    matchWidth(hMain);
    dockUnder(hMain);
    Clear();
}

TfrmProtocol::~TfrmProtocol() {
    if (FhWnd) DestroyWindow(FhWnd);
    if (FFont) DeleteObject(FFont);
}

void TfrmProtocol::dpiChanged(int dpi) {
    HFONT old = FFont;
    FFont = createUiFont(dpi);
    SendMessageW(FhMemo, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), TRUE);
    if (old) DeleteObject(old);
}

void TfrmProtocol::Add(const std::string& text, const std::tm& time) {
    std::wstring line = wide(reportLine(time, text));
    const int length = GetWindowTextLengthW(FhMemo);
    if (length > 0) line.insert(0, L"\r\n");
    SendMessageW(FhMemo, EM_SETSEL, length, length);
    SendMessageW(FhMemo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
    // The caret to the start of the newest line, which stays in view.
    const LRESULT lines = SendMessageW(FhMemo, EM_GETLINECOUNT, 0, 0);
    const LRESULT start = SendMessageW(FhMemo, EM_LINEINDEX, lines - 1, 0);
    SendMessageW(FhMemo, EM_SETSEL, start, start);
    SendMessageW(FhMemo, EM_SCROLLCARET, 0, 0);
    // Shown at once, also while the session keeps the window's queue busy.
    UpdateWindow(FhMemo);
}

void TfrmProtocol::Clear() {
    SetWindowTextW(FhMemo, L"");
}

void TfrmProtocol::dockUnder(HWND hMain) {
    const TRect main = outerRectOf(hMain);
    if (!reportNeedsDock(outerRectOf(FhWnd), main, IsIconic(hMain) != FALSE)) return;
    const TPoint place = reportDockPlace(main);
    SetWindowPos(FhWnd, nullptr, place.x, place.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmProtocol::matchWidth(HWND hMain) {
    // A minimised window's width is its icon's.
    if (IsIconic(hMain)) return;
    SetWindowPos(FhWnd, nullptr, 0, 0, reportWidth(outerRectOf(hMain)), outerRectOf(FhWnd).height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmProtocol::show() {
    ShowWindow(FhWnd, SW_SHOWNOACTIVATE);
}

LRESULT CALLBACK TfrmProtocol::WndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = windowObject<TfrmProtocol>(h, m, l);
    switch (m) {
    case WM_SIZE:
        if (self && self->FhMemo) MoveWindow(self->FhMemo, 0, 0, LOWORD(l), HIWORD(l), TRUE);
        return 0;
    case WM_CLOSE:
        return 0; // the report stays with the main window
    case WM_SETCURSOR:
        if (busyCursorSet()) return TRUE;
        break;
    default:
        break;
    }
    return DefWindowProcW(h, m, w, l);
}
