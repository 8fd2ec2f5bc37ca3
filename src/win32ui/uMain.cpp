#include "win32ui/uMain.h"

#include "win32ui/uAbout.h"
#include "win32ui/uBusyCursor.h"
#include "win32ui/uConfirm.h"
#include "win32ui/uControlIds.h"
#include "win32ui/uDesign.h"
#include "win32ui/uFileDialog.h"
#include "win32ui/uInfo.h"
#include "win32ui/uMessage.h"
#include "win32ui/uPortBox.h"
#include "win32ui/uProgressText.h"
#include "win32ui/uProtocol.h"
#include "win32ui/uWindowClass.h"

namespace {

// The layout in design units at 120 pixels per inch.
constexpr int cPanelW = 441;
constexpr int cPanelH = 201;
constexpr int cButtonTop = 107;
constexpr int cButtonH = 41;
constexpr int cProgLeft = 50;
constexpr int cCloseLeft = 250;
constexpr int cCloseW = 139;
constexpr int cFileGap = 8;

// Private messages of the main window.  WM_USER itself carries the
// session's notifications.
constexpr UINT cMsgIdle = WM_APP + 1;     // the first idle moment after start
constexpr UINT cMsgCloseNow = WM_APP + 2; // a confirmed close may go on
constexpr UINT_PTR cTimerId = 1;
constexpr UINT_PTR cPortTimerId = 2; // the port watcher's rescan

constexpr DWORD cStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

HWND child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id,
           DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, cls, text, WS_CHILD | style, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

// The progress bar draws its window text (the percent and the time left)
// over the bar, double-buffered.
LRESULT CALLBACK progressWithText(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    if (m == WM_SETTEXT) {
        const LRESULT r = DefSubclassProc(h, m, w, l);
        InvalidateRect(h, nullptr, FALSE);
        return r;
    }
    if (m != WM_PAINT) return DefSubclassProc(h, m, w, l);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT rc{};
    GetClientRect(h, &rc);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    FillRect(mem, &rc, GetSysColorBrush(COLOR_BTNFACE));
    DefSubclassProc(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_ERASEBKGND);
    const std::wstring text = windowText(h);
    HGDIOBJ oldFont = SelectObject(mem, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(mem, text.c_str(), static_cast<int>(text.size()), &rc,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(h, &ps);
    return 0;
}

} // namespace

TfrmMain::TfrmMain(TProgramOptions options) : FOptions(std::move(options)) {
    registerWindowClass(cMainClass, &TfrmMain::WndProc);
    registerWindowClass(cPanelClass, &TfrmMain::PanelProc);
    FhWnd = CreateWindowExW(WS_EX_CONTROLPARENT, cMainClass, wide(cAppTitle).c_str(), cStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
    FSink.attach(FhWnd);
    createMenu();
    createControls();
    FDpi = dpiOf(FhWnd);
    applyDpi(FDpi);

    // The companion windows, all hidden; then the controller, which may
    // render at once.
    frmProtocol = std::make_unique<TfrmProtocol>(FhWnd);
    frmMessage = std::make_unique<TfrmMessage>(FhWnd);
    TControllerSetup setup;
    setup.options = FOptions;
    FController = std::make_unique<TUpdateController>(*this, std::move(setup));
    frmInfo = std::make_unique<TfrmInfo>(FhWnd, FController->catalog());

    fillPortBoxAtStart(cbxPort);
    // Ports that arrive or go: the watcher's hidden window hears
    // WM_DEVICECHANGE through this thread's message loop and wakes us at
    // once; the serial device map is read again besides, on a timer.
    FPortWatcher = std::make_unique<TPortWatcher>();
    FPortWatcher->start([this] { lookAtPorts(); });
    if (FPortWatcher->rescanEveryMs() > 0)
        SetTimer(FhWnd, cPortTimerId, static_cast<UINT>(FPortWatcher->rescanEveryMs()), nullptr);
    if (!FController->options().port.empty())
        SetWindowTextW(cbxPort, wide(FController->options().port).c_str());
    render(FController->state());
    centre();
}

TfrmMain::~TfrmMain() {
    FPortWatcher.reset(); // its wake calls into this window
    FController.reset();
    frmInfo.reset();
    frmMessage.reset();
    frmProtocol.reset();
    if (FhWnd && IsWindow(FhWnd)) DestroyWindow(FhWnd);
    if (FFont) DeleteObject(FFont);
    setBusyCursor(false);
}

void TfrmMain::createMenu() {
    FMenuBar = CreateMenu();
    menInfo = CreatePopupMenu();
    AppendMenuW(menInfo, MF_STRING, cIdMenuFirmware, L"Firmware");
    AppendMenuW(menInfo, MF_STRING, cIdMenuFileVersion, L"File version");
    AppendMenuW(menInfo, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menInfo, MF_STRING, cIdMenuExit, L"Exit");
    insertAboutItem(menInfo, cIdMenuExit);
    AppendMenuW(FMenuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(menInfo),
                wide(cMenuInfoCaption).c_str());
    SetMenu(FhWnd, FMenuBar);
    FMenuFileShown = true;
}

void TfrmMain::createControls() {
    FhPanel = CreateWindowExW(
        WS_EX_CONTROLPARENT, cPanelClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, FhWnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(cIdPanel)), GetModuleHandleW(nullptr), this);
    // A thin line under the menu.
    FhLine = child(FhPanel, L"STATIC", L"", WS_VISIBLE | SS_ETCHEDHORZ, -1);
    Label1 = child(FhPanel, L"STATIC", L"Comport:", WS_VISIBLE | SS_LEFT, cIdPortLabel);
    cbxPort = child(FhPanel, WC_COMBOBOXW, L"",
                    WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, cIdPort);
    ProgressBar1 = child(FhPanel, PROGRESS_CLASSW, L"", WS_VISIBLE | PBS_SMOOTH, cIdProgress);
    SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, 100);
    SetWindowSubclass(ProgressBar1, progressWithText, 1, 0);
    btnProg =
        child(FhPanel, L"BUTTON", L"Update", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, cIdUpdate);
    btnFile = child(FhPanel, L"BUTTON", L"File", WS_TABSTOP | BS_PUSHBUTTON, cIdFile);
    btnClose =
        child(FhPanel, L"BUTTON", L"Close", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, cIdClose);
    btnCancel = child(FhPanel, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, cIdCancel);
    chkReadInfoOnly =
        child(FhPanel, L"BUTTON", L"Read info only", WS_TABSTOP | BS_AUTOCHECKBOX, cIdReadInfoOnly);
    StatusBar1 = child(FhWnd, STATUSCLASSNAMEW, L"", WS_VISIBLE | SBARS_TOOLTIPS, cIdStatus);
    int parts[1] = {-1};
    SendMessageW(StatusBar1, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
}

void TfrmMain::applyDpi(int dpi) {
    FDpi = dpi;
    HFONT old = FFont;
    FFont = createUiFont(dpi);
    setFontDeep(FhWnd, FFont);
    if (old) DeleteObject(old);
    layout();
    fitWindow();
}

void TfrmMain::layout() {
    const int d = FDpi;
    MoveWindow(FhPanel, 0, 0, du(cPanelW, d), du(cPanelH, d), TRUE);
    MoveWindow(FhLine, 0, 0, du(cPanelW, d), 2, TRUE);

    MoveWindow(cbxPort, du(96, d), du(14, d), du(329, d), du(200, d), TRUE);
    RECT box{};
    GetWindowRect(cbxPort, &box); // the closed box's height
    const int boxH = box.bottom - box.top;
    HDC dc = GetDC(Label1);
    HGDIOBJ old = SelectObject(dc, FFont);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(Label1, dc);
    const int labelH = tm.tmHeight;
    // Aligned with the text in the port box.
    MoveWindow(Label1, du(16, d), du(14, d) + (boxH - labelH) / 2, du(78, d), labelH, TRUE);

    MoveWindow(ProgressBar1, du(16, d), du(57, d), du(409, d), du(33, d), TRUE);
    // With "File", "Update" and "File" share the place of one button.
    if (FState.fileShown) {
        const int half = cCloseW / 2;
        MoveWindow(btnProg, du(cProgLeft, d), du(cButtonTop, d), du(half, d), du(cButtonH, d),
                   TRUE);
        MoveWindow(btnFile, du(cProgLeft + half + cFileGap, d), du(cButtonTop, d), du(half, d),
                   du(cButtonH, d), TRUE);
    } else {
        MoveWindow(btnProg, du(cProgLeft, d), du(cButtonTop, d), du(cCloseW, d), du(cButtonH, d),
                   TRUE);
    }
    MoveWindow(btnClose, du(cCloseLeft, d), du(cButtonTop, d), du(cCloseW, d), du(cButtonH, d),
               TRUE);
    MoveWindow(btnCancel, du(cCloseLeft, d), du(cButtonTop, d), du(cCloseW, d), du(cButtonH, d),
               TRUE);
    MoveWindow(chkReadInfoOnly, du(32, d), du(168, d), du(200, d), labelH + du(6, d), TRUE);
    SendMessageW(StatusBar1, WM_SIZE, 0, 0);
}

// Client area: the panel and the status bar, nothing below them.
void TfrmMain::fitWindow() {
    RECT status{};
    GetWindowRect(StatusBar1, &status);
    const int clientW = du(cPanelW, FDpi);
    const int clientH = du(cPanelH, FDpi) + (status.bottom - status.top);
    SIZE outer = outerSizeFor(FhWnd, clientW, clientH, true);
    SetWindowPos(FhWnd, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that takes more than one line: correct by what is missing.
    RECT client{};
    GetClientRect(FhWnd, &client);
    if (client.bottom != clientH || client.right != clientW) {
        outer.cx += clientW - client.right;
        outer.cy += clientH - client.bottom;
        SetWindowPos(FhWnd, nullptr, 0, 0, outer.cx, outer.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(StatusBar1, WM_SIZE, 0, 0);
}

void TfrmMain::centre() {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(FhWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    RECT r{};
    GetWindowRect(FhWnd, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    SetWindowPos(FhWnd, nullptr, mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - w) / 2,
                 mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::show(int nCmdShow) {
    ShowWindow(FhWnd, nCmdShow);
    UpdateWindow(FhWnd);
    PostMessageW(FhWnd, cMsgIdle, 0, 0);
}

void TfrmMain::lookAtPorts() {
    if (FPortWatcher && FPortWatcher->changed(static_cast<std::int64_t>(GetTickCount64())))
        portBoxChanged(cbxPort);
}

void TfrmMain::idle() {
    if (FIdleDone) return;
    FIdleDone = true;
    render(FState);
}

// --- IUpdateFrontEnd ---------------------------------------------------------

void TfrmMain::render(const TControllerState& state) {
    const bool relayout = !FRendered || state.fileShown != FState.fileShown;
    FState = state;
    FRendered = true;
    if (relayout) layout();

    SetWindowTextW(FhWnd, wide(state.title).c_str());
    setStatus(state.status);
    setProgress(state.progress, state.remainingMs);
    EnableWindow(btnProg, state.updateEnabled);
    ShowWindow(btnClose, state.closeShown ? SW_SHOWNA : SW_HIDE);
    ShowWindow(btnCancel, state.cancelShown ? SW_SHOWNA : SW_HIDE);
    EnableWindow(cbxPort, state.portEnabled);
    ShowWindow(btnFile, state.fileShown ? SW_SHOWNA : SW_HIDE);
    EnableWindow(btnFile, state.fileEnabled);
    ShowWindow(chkReadInfoOnly, state.readInfoOnlyShown ? SW_SHOWNA : SW_HIDE);
    renderMenu();
    setBusyCursor(state.busyCursor);
    // The report window appears once, at the first idle moment after start;
    // nothing hides it again.
    if (FIdleDone && state.reportShown && frmProtocol && !IsWindowVisible(frmProtocol->handle())) {
        frmProtocol->matchWidth(FhWnd);
        frmProtocol->dockUnder(FhWnd);
        frmProtocol->show();
    }
}

void TfrmMain::renderMenu() {
    if (FState.fileShown != FMenuFileShown) {
        if (FState.fileShown)
            InsertMenuW(menInfo, 1, MF_BYPOSITION | MF_STRING, cIdMenuFileVersion, L"File version");
        else
            DeleteMenu(menInfo, cIdMenuFileVersion, MF_BYCOMMAND);
        FMenuFileShown = FState.fileShown;
    }
    if (FMenuFileShown)
        EnableMenuItem(menInfo, cIdMenuFileVersion,
                       MF_BYCOMMAND | (FState.fileEnabled ? MF_ENABLED : MF_GRAYED));
}

void TfrmMain::setStatus(const std::string& text) {
    const std::wstring w = wide(text);
    SendMessageW(StatusBar1, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(w.c_str()));
    SendMessageW(StatusBar1, SB_SETTIPTEXTW, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void TfrmMain::setProgress(int percent, std::int64_t remainingMs) {
    SendMessageW(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    const std::wstring text = wide(progressText(percent, remainingMs));
    if (windowText(ProgressBar1) != text) SetWindowTextW(ProgressBar1, text.c_str());
}

void TfrmMain::addReport(const std::string& text) {
    if (frmProtocol) frmProtocol->Add(text);
}

void TfrmMain::clearReport() {
    if (frmProtocol) frmProtocol->Clear();
}

void TfrmMain::showInfo(const std::string& text) {
    if (!frmMessage) return;
    RECT r{};
    GetWindowRect(FhWnd, &r);
    frmMessage->showMsg(text, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool TfrmMain::confirm(const std::string& question) {
    return askConfirm(FhWnd, question);
}

void TfrmMain::beep() {
    MessageBeep(MB_OK);
}

void TfrmMain::startTimer(int ms) {
    SetTimer(FhWnd, cTimerId, static_cast<UINT>(ms > 0 ? ms : 0), nullptr);
}

void TfrmMain::stopTimer() {
    KillTimer(FhWnd, cTimerId);
}

void TfrmMain::closeNow() {
    PostMessageW(FhWnd, cMsgCloseNow, 0, 0);
}

// --- User actions ------------------------------------------------------------

std::string TfrmMain::portText() const {
    return narrow(windowText(cbxPort));
}

bool TfrmMain::readInfoOnly() const {
    return FState.readInfoOnlyShown &&
           SendMessageW(chkReadInfoOnly, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TfrmMain::showOverview() {
    RECT r{};
    GetWindowRect(FhWnd, &r);
    const int w = r.right - r.left;
    frmInfo->Execute(r.left, r.top, w * 3 / 2, r.bottom - r.top);
}

void TfrmMain::command(int id) {
    switch (id) {
    case cIdUpdate:
        if (IsWindowEnabled(btnProg)) FController->updateClicked(portText(), readInfoOnly());
        break;
    case cIdFile:
        if (FState.fileShown && FState.fileEnabled) {
            const std::string name = chooseImageFile(FhWnd);
            if (!name.empty()) FController->fileClicked(name, portText(), readInfoOnly());
        }
        break;
    case cIdCancel:
        FController->cancelClicked();
        break;
    case cIdClose:
    case cIdMenuExit:
        PostMessageW(FhWnd, WM_CLOSE, 0, 0);
        break;
    case cIdMenuFirmware:
        showOverview();
        break;
    case cIdMenuAbout:
        showAbout(FhWnd);
        break;
    case cIdMenuFileVersion:
        if (FState.fileShown && FState.fileEnabled) {
            const std::string name = chooseImageFile(FhWnd);
            if (!name.empty() && FController->fileVersionChosen(name)) showOverview();
        }
        break;
    default:
        break;
    }
}

// --- Window procedures -------------------------------------------------------

LRESULT CALLBACK TfrmMain::WndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = windowObject<TfrmMain>(h, m, l);
    if (!self || !self->FController) return DefWindowProcW(h, m, w, l);
    return self->onMessage(m, w, l);
}

LRESULT TfrmMain::onMessage(UINT m, WPARAM w, LPARAM l) {
    switch (m) {
    case WM_USER: // a session notification
        FController->notify(TPostMessageSink::fromMessage(w, l));
        return 0;
    case WM_COMMAND:
        if (HIWORD(w) == BN_CLICKED || HIWORD(w) == 0 /* menu */) command(LOWORD(w));
        return 0;
    case WM_TIMER:
        if (w == cTimerId) {
            KillTimer(FhWnd, cTimerId);
            FController->timerElapsed();
        } else if (w == cPortTimerId) {
            lookAtPorts();
        }
        return 0;
    case WM_CLOSE:
        if (FClosing) break;
        switch (FController->closeRequested()) {
        case TCloseAnswer::closeNow:
            FClosing = true;
            DestroyWindow(FhWnd);
            break;
        case TCloseAnswer::keepOpen:
        case TCloseAnswer::closeWhenEnded:
            break;
        }
        return 0;
    case cMsgCloseNow:
        FClosing = true;
        DestroyWindow(FhWnd);
        return 0;
    case cMsgIdle:
        idle();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_MOVE:
        if (frmProtocol) frmProtocol->dockUnder(FhWnd);
        break;
    case WM_SIZE:
        SendMessageW(StatusBar1, WM_SIZE, 0, 0);
        if (frmProtocol) frmProtocol->dockUnder(FhWnd);
        break;
    case WM_SETCURSOR:
        if (busyCursorSet()) return TRUE;
        break;
    case 0x02E0: { // WM_DPICHANGED: the window moved to a monitor of another DPI
        const auto* suggested = reinterpret_cast<const RECT*>(l);
        SetWindowPos(FhWnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        applyDpi(HIWORD(w));
        if (frmProtocol) {
            frmProtocol->dpiChanged(HIWORD(w));
            frmProtocol->matchWidth(FhWnd);
            frmProtocol->dockUnder(FhWnd);
        }
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(FhWnd, m, w, l);
}

// The panel hands the controls' commands to the main window and names
// "Update" as the default button for Enter while it is usable.
LRESULT CALLBACK TfrmMain::PanelProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = windowObject<TfrmMain>(h, m, l);
    switch (m) {
    case WM_COMMAND:
        if (self) return SendMessageW(self->FhWnd, WM_COMMAND, w, l);
        break;
    case DM_GETDEFID:
        if (self && IsWindowEnabled(self->btnProg)) return MAKELRESULT(cIdUpdate, DC_HASDEFID);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(h, m, w, l);
}
