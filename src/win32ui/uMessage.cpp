#include "win32ui/uMessage.h"

#include "win32ui/uBusyCursor.h"
#include "win32ui/uControlIds.h"
#include "win32ui/uDesign.h"
#include "win32ui/uModal.h"
#include "win32ui/uWindowClass.h"

namespace {

// Design units at 120 pixels per inch.
constexpr int cClientW = 435;
constexpr int cClientH = 101;
constexpr int cStripH = 45; // the strip along the bottom that holds "OK"
constexpr int cButtonW = 93;
constexpr int cMargin = 3;
constexpr int cInset = 10; // from the covered window's edges, pixels at 96 per inch

constexpr DWORD cStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD cExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

} // namespace

TfrmMessage::TfrmMessage(HWND hMain) : FhOwner(hMain) {
    registerWindowClass(cMessageClass, &TfrmMessage::WndProc);
    FhWnd = CreateWindowExW(cExStyle, cMessageClass, L"Information", cStyle, 0, 0, cClientW,
                            cClientH, hMain, nullptr, GetModuleHandleW(nullptr), this);
    FhMemo = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                             WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0, 10, 10,
                             FhWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(cIdMemo)),
                             GetModuleHandleW(nullptr), nullptr);
    FhButton =
        CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                        0, 0, 10, 10, FhWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)),
                        GetModuleHandleW(nullptr), nullptr);
}

TfrmMessage::~TfrmMessage() {
    if (FhWnd) DestroyWindow(FhWnd);
    if (FFont) DeleteObject(FFont);
}

void TfrmMessage::layout() {
    RECT client{};
    GetClientRect(FhWnd, &client);
    const int w = client.right;
    const int h = client.bottom;
    const int strip = du(cStripH, FDpi);
    const int m = du(cMargin, FDpi);
    MoveWindow(FhMemo, m, m, w - 2 * m, h - strip - m, TRUE);
    MoveWindow(FhButton, m, h - strip + m, du(cButtonW, FDpi), strip - 2 * m, TRUE);
}

void TfrmMessage::showMsg(const std::string& sMsg, int x, int y, int w, int h) {
    const int dpi = dpiOf(FhOwner);
    if (dpi != FDpi || !FFont) {
        FDpi = dpi;
        HFONT old = FFont;
        FFont = createUiFont(FDpi);
        setFontDeep(FhWnd, FFont);
        if (old) DeleteObject(old);
    }
    // The height stays at its design value; the width follows the main window.
    const SIZE outer = outerSizeFor(FhWnd, du(cClientW, FDpi), du(cClientH, FDpi), false);
    const int inset = px(cInset, FDpi);
    SetWindowPos(FhWnd, HWND_TOP, x + inset, y + h - outer.cy - inset, w - 2 * inset, outer.cy,
                 SWP_NOACTIVATE);
    layout();

    SetWindowTextW(FhMemo, L"");
    SetWindowTextW(FhMemo, crlf(wide(sMsg)).c_str());
    FDone = false;
    SetFocus(FhButton);
    runModal(FhWnd, FhOwner, FDone);
}

LRESULT CALLBACK TfrmMessage::WndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = windowObject<TfrmMessage>(h, m, l);
    switch (m) {
    case WM_COMMAND:
        if (self && LOWORD(w) == IDOK) {
            self->FDone = true;
            return 0;
        }
        break;
    case WM_ACTIVATE:
        if (self && LOWORD(w) != WA_INACTIVE) SetFocus(self->FhButton);
        return 0;
    case WM_CLOSE:
        return 0; // only "OK" closes it
    case WM_SETCURSOR:
        if (busyCursorSet()) return TRUE;
        break;
    default:
        break;
    }
    return DefWindowProcW(h, m, w, l);
}
