#include "win32ui/uMessage.h"

#include "desktop/uDesktopTexts.h"
#include "desktop/uMessageDesign.h"
#include "win32ui/uBusyCursor.h"
#include "win32ui/uControlIds.h"
#include "win32ui/uDesign.h"
#include "win32ui/uModal.h"
#include "win32ui/uWindowClass.h"

#include <algorithm>

namespace {

constexpr DWORD cStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD cExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

} // namespace

TfrmMessage::TfrmMessage(HWND hMain) : FhOwner(hMain) {
    registerWindowClass(cMessageClass, &TfrmMessage::WndProc);
    const TSize client = cMessageWindowDesign.client;
    FhWnd = CreateWindowExW(cExStyle, cMessageClass, wide(cTextMessageCaption).c_str(), cStyle, 0,
                            0, client.width, client.height, hMain, nullptr,
                            GetModuleHandleW(nullptr), this);
    FhMemo = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                             WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0, 10, 10,
                             FhWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(cIdMemo)),
                             GetModuleHandleW(nullptr), nullptr);
    FhButton = CreateWindowExW(0, L"BUTTON", wide(cTextOk).c_str(),
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 10, 10,
                               FhWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)),
                               GetModuleHandleW(nullptr), nullptr);
}

TfrmMessage::~TfrmMessage() {
    if (FhWnd) DestroyWindow(FhWnd);
    if (FFont) DeleteObject(FFont);
}

int TfrmMessage::textBoxHeightFor(const std::wstring& text, int textBoxWidth) const {
    // The edit control's sunken edge and its left and right margins.
    const int edgeX = GetSystemMetrics(SM_CXEDGE);
    const int edgeY = GetSystemMetrics(SM_CYEDGE);
    const auto margins = static_cast<DWORD>(SendMessageW(FhMemo, EM_GETMARGINS, 0, 0));
    RECT r{0, 0, std::max(textBoxWidth - 2 * edgeX - LOWORD(margins) - HIWORD(margins), 1), 0};
    HDC dc = GetDC(FhMemo);
    HGDIOBJ old = SelectObject(dc, FFont);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(FhMemo, dc);
    // Half a line spare: the edit control's formatting rectangle sits a
    // little inside its client area.
    return (r.bottom - r.top) + 2 * edgeY + tm.tmHeight / 2;
}

void TfrmMessage::showMsg(const std::string& sMsg, int x, int y, int w, int h) {
    fontForDpi(FhWnd, FFont, FDpi, dpiOf(FhOwner));
    // The width follows the main window, the height the text: the whole
    // text is read, the border stays fixed.
    const std::wstring text = shownText(sMsg);
    const TScale scale{FDpi};
    const TRect covered{x, y, w, h};
    const SIZE designOuter = outerSizeFor(FhWnd, du(cMessageWindowDesign.client.width, FDpi),
                                          du(cMessageWindowDesign.client.height, FDpi), false);
    const TSize frame{designOuter.cx - du(cMessageWindowDesign.client.width, FDpi),
                      designOuter.cy - du(cMessageWindowDesign.client.height, FDpi)};
    const int boxH = textBoxHeightFor(text, messageTextBoxWidth(w, frame, scale));
    const TMessageLayout l = messageLayout(covered, frame, boxH, scale);
    SetWindowPos(FhWnd, HWND_TOP, l.outer.left, l.outer.top, l.outer.width, l.outer.height,
                 SWP_NOACTIVATE);
    placeChild(FhMemo, l.textBox);
    placeChild(FhButton, l.button);

    SetWindowTextW(FhMemo, L"");
    SetWindowTextW(FhMemo, text.c_str());
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
