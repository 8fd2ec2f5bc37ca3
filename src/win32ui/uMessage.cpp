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

int TfrmMessage::textBoxHeightNeeded() const {
    // The lines as the text box itself wraps them at its width, each one
    // font line high, inside its edge and formatting rectangle; a quarter
    // line spare.
    const auto lines = static_cast<int>(SendMessageW(FhMemo, EM_GETLINECOUNT, 0, 0));
    const int lineH = lineHeightOf(FhMemo, FFont);
    RECT outer{};
    RECT client{};
    RECT format{};
    GetWindowRect(FhMemo, &outer);
    GetClientRect(FhMemo, &client);
    SendMessageW(FhMemo, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int edges = (outer.bottom - outer.top) - client.bottom;
    return edges + 2 * std::max<int>(format.top, 0) + std::max(lines, 1) * lineH + lineH / 4;
}

void TfrmMessage::showMsg(const std::string& sMsg, int x, int y, int w, int h) {
    fontForDpi(FhWnd, FFont, FDpi, dpiOf(FhOwner));
    // The width follows the main window, the height the text: the whole
    // text is read, the border stays fixed.  The text box wraps the text at
    // its width first; the window is then made as high as those lines need.
    const TScale scale{FDpi};
    const TRect covered{x, y, w, h};
    const TSize design{du(cMessageWindowDesign.client.width, FDpi),
                       du(cMessageWindowDesign.client.height, FDpi)};
    const SIZE designOuter = outerSizeFor(FhWnd, design.width, design.height, false);
    const TSize frame{designOuter.cx - design.width, designOuter.cy - design.height};
    placeChild(FhMemo, messageLayout(covered, frame, 0, scale).textBox);
    SetWindowTextW(FhMemo, L"");
    SetWindowTextW(FhMemo, shownText(sMsg).c_str());
    const TMessageLayout l = messageLayout(covered, frame, textBoxHeightNeeded(), scale);
    SetWindowPos(FhWnd, HWND_TOP, l.outer.left, l.outer.top, l.outer.width, l.outer.height,
                 SWP_NOACTIVATE);
    placeChild(FhMemo, l.textBox);
    placeChild(FhButton, l.button);

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
