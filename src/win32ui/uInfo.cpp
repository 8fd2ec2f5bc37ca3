#include "win32ui/uInfo.h"

#include "desktop/uDesktopTexts.h"
#include "desktop/uOverviewDesign.h"
#include "images/uOverview.h"
#include "win32ui/uBusyCursor.h"
#include "win32ui/uControlIds.h"
#include "win32ui/uDesign.h"
#include "win32ui/uModal.h"
#include "win32ui/uWindowClass.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int cColumns = 6;

constexpr DWORD cStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD cExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

} // namespace

TfrmInfo::TfrmInfo(HWND hMain, const TFWCatalog& catalog) : FCatalog(catalog), FhOwner(hMain) {
    registerWindowClass(cOverviewClass, &TfrmInfo::WndProc);
    const TOverviewDesign& d = cOverviewDesign;
    FhWnd = CreateWindowExW(cExStyle, cOverviewClass, wide(cTextOverviewCaption).c_str(), cStyle, 0,
                            0, d.client.width, d.client.height, hMain, nullptr,
                            GetModuleHandleW(nullptr), this);
    FhList = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                 LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                             0, 0, d.client.width, d.client.height - d.panelHeight, FhWnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(cIdList)),
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(FhList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int c = 0; c < cColumns; ++c) {
        std::wstring title = wide(cOverviewColumns[c]);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = title.data();
        col.cx = 50;
        col.iSubItem = c;
        SendMessageW(FhList, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&col));
    }
    FhButton = CreateWindowExW(0, L"BUTTON", wide(cTextOk).c_str(),
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 10, 10,
                               FhWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)),
                               GetModuleHandleW(nullptr), nullptr);
}

TfrmInfo::~TfrmInfo() {
    if (FhWnd) DestroyWindow(FhWnd);
    if (FFont) DeleteObject(FFont);
}

void TfrmInfo::fillRows() {
    SendMessageW(FhList, LVM_DELETEALLITEMS, 0, 0);
    int row = 0;
    for (const TOverviewRow& r : overviewRows(FCatalog)) {
        const std::string* cells[6] = {&r.firmware, &r.version, &r.platform,
                                       &r.print,    &r.date,    &r.bl};
        std::wstring text = wide(*cells[0]);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = text.data();
        SendMessageW(FhList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int c = 1; c < 6; ++c) {
            std::wstring cell = wide(*cells[c]);
            LVITEMW sub{};
            sub.iSubItem = c;
            sub.pszText = cell.data();
            SendMessageW(FhList, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
        }
        ++row;
    }
}

int TfrmInfo::autoSizeColumns() {
    // Every column starts from nothing: sized "to its header", a column
    // may otherwise keep (or fill up to) the width it had at the last
    // opening, and the overview grows with every opening.
    for (int c = 0; c < cColumns; ++c)
        SendMessageW(FhList, LVM_SETCOLUMNWIDTH, c, 0);
    RECT list{};
    GetWindowRect(FhList, &list);
    SetWindowPos(FhList, nullptr, 0, 0, 1, list.bottom - list.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::vector<int> widths;
    for (int c = 0; c < cColumns; ++c) {
        SendMessageW(FhList, LVM_SETCOLUMNWIDTH, c, LVSCW_AUTOSIZE_USEHEADER);
        const int header = static_cast<int>(SendMessageW(FhList, LVM_GETCOLUMNWIDTH, c, 0));
        SendMessageW(FhList, LVM_SETCOLUMNWIDTH, c, LVSCW_AUTOSIZE);
        const int cells = static_cast<int>(SendMessageW(FhList, LVM_GETCOLUMNWIDTH, c, 0));
        const int width = overviewColumnWidth(header, cells);
        SendMessageW(FhList, LVM_SETCOLUMNWIDTH, c, width);
        widths.push_back(width);
    }
    return overviewClientWidth(widths);
}

int TfrmInfo::Execute(int ALeft, int ATop, int AWidth, int AHeight) {
    (void)AWidth; // the columns decide the width
    fontForDpi(FhWnd, FFont, FDpi, dpiOf(FhOwner));
    fillRows();
    const int clientW = autoSizeColumns();
    const TOverviewLayout l =
        overviewLayout({ALeft, ATop, AWidth, AHeight}, clientW, frameOf(FhWnd), TScale{FDpi});
    SetWindowPos(FhWnd, HWND_TOP, l.outer.left, l.outer.top, l.outer.width, l.outer.height,
                 SWP_NOACTIVATE);
    placeChild(FhList, l.list);
    placeChild(FhButton, l.button);
    FDone = false;
    SetFocus(FhButton);
    runModal(FhWnd, FhOwner, FDone);
    return IDOK;
}

LRESULT CALLBACK TfrmInfo::WndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = windowObject<TfrmInfo>(h, m, l);
    switch (m) {
    case WM_COMMAND:
        if (self && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
            self->FDone = true;
            return 0;
        }
        break;
    case WM_CLOSE:
        if (self) self->FDone = true;
        return 0;
    case WM_ACTIVATE:
        if (self && LOWORD(w) != WA_INACTIVE) SetFocus(self->FhButton);
        return 0;
    case WM_SETCURSOR:
        if (busyCursorSet()) return TRUE;
        break;
    default:
        break;
    }
    return DefWindowProcW(h, m, w, l);
}
