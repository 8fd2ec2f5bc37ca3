#include "win32ui/uMain.h"

#include "controller/uTimeLeft.h"
#include "desktop/uDesktopTexts.h"
#include "desktop/uMainWindowDesign.h"
#include "desktop/uOverviewDesign.h"
#include "desktop/uPortBoxRule.h"
#include "desktop/uReportDesign.h"
#include "win32ui/uAbout.h"
#include "win32ui/uBusyCursor.h"
#include "win32ui/uConfirm.h"
#include "win32ui/uControlIds.h"
#include "win32ui/uDesign.h"
#include "win32ui/uFileDialog.h"
#include "win32ui/uInfo.h"
#include "win32ui/uMessage.h"
#include "win32ui/uPortBox.h"
#include "win32ui/uProtocol.h"
#include "win32ui/uShutdownBlock.h"
#include "win32ui/uWindowClass.h"

namespace {

// Private messages of the main window.  WM_USER itself carries the
// session's notifications.
constexpr UINT cMsgIdle = WM_APP + 1;     // the first idle moment after start
constexpr UINT cMsgCloseNow = WM_APP + 2; // a confirmed close may go on
constexpr UINT_PTR cTimerId = 1;
constexpr UINT_PTR cPortTimerId = 2; // the port watcher's rescan
// Redraws the progress caption once a second, so that the time left counts
// down also where no progress step comes (the final waits).
constexpr UINT_PTR cCountdownTimerId = 3;

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

    fillPortBoxAtStart(cbxPort, FController->options().port);
    // Ports that arrive or go: the watcher's hidden window hears
    // WM_DEVICECHANGE through this thread's message loop and wakes us at
    // once; the serial device map is read again besides, on a timer.
    FPortWatcher = std::make_unique<TPortWatcher>();
    FPortWatcher->start([this] { lookAtPorts(); });
    if (FPortWatcher->rescanEveryMs() > 0)
        SetTimer(FhWnd, cPortTimerId, static_cast<UINT>(FPortWatcher->rescanEveryMs()), nullptr);
    SetTimer(FhWnd, cCountdownTimerId, 1000, nullptr);
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
    AppendMenuW(menInfo, MF_STRING, cIdMenuFirmware, wide(cTextMenuFirmware).c_str());
    AppendMenuW(menInfo, MF_STRING, cIdMenuFileVersion, wide(cTextMenuFileVersion).c_str());
    AppendMenuW(menInfo, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menInfo, MF_STRING, cIdMenuExit, wide(cTextMenuExit).c_str());
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
    Label1 =
        child(FhPanel, L"STATIC", wide(cTextPortLabel).c_str(), WS_VISIBLE | SS_LEFT, cIdPortLabel);
    cbxPort = child(FhPanel, WC_COMBOBOXW, L"",
                    WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, cIdPort);
    ProgressBar1 = child(FhPanel, PROGRESS_CLASSW, L"", WS_VISIBLE | PBS_SMOOTH, cIdProgress);
    SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, 100);
    SetWindowSubclass(ProgressBar1, progressWithText, 1, 0);
    btnProg = child(FhPanel, L"BUTTON", wide(cTextUpdate).c_str(),
                    WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, cIdUpdate);
    btnFile =
        child(FhPanel, L"BUTTON", wide(cTextFile).c_str(), WS_TABSTOP | BS_PUSHBUTTON, cIdFile);
    btnClose = child(FhPanel, L"BUTTON", wide(cTextClose).c_str(),
                     WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, cIdClose);
    btnCancel =
        child(FhPanel, L"BUTTON", wide(cTextCancel).c_str(), WS_TABSTOP | BS_PUSHBUTTON, cIdCancel);
    chkReadInfoOnly = child(FhPanel, L"BUTTON", wide(cTextReadInfoOnly).c_str(),
                            WS_TABSTOP | BS_AUTOCHECKBOX, cIdReadInfoOnly);
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
    const TMainWindowDesign& design = cMainWindowDesign;
    const auto place = [d](HWND h, const TRect& r) {
        MoveWindow(h, du(r.left, d), du(r.top, d), du(r.width, d), du(r.height, d), TRUE);
    };
    place(FhPanel, {0, 0, design.panel.width, design.panel.height});
    MoveWindow(FhLine, 0, 0, du(design.panel.width, d), 2, TRUE);

    TRect box = design.portBox;
    box.height = design.portDropHeight;
    place(cbxPort, box);
    RECT closed{};
    GetWindowRect(cbxPort, &closed); // the closed box's height
    const int boxH = closed.bottom - closed.top;
    const int labelH = lineHeightOf(Label1, FFont);
    // Aligned with the text in the port box.
    MoveWindow(Label1, du(design.portLabel.x, d), du(box.top, d) + (boxH - labelH) / 2,
               du(design.portLabelWidth, d), labelH, TRUE);

    place(ProgressBar1, design.progress);
    const TMainButtons buttons = mainButtons(FState.fileShown);
    place(btnProg, buttons.update);
    if (FState.fileShown) place(btnFile, buttons.file);
    place(btnClose, buttons.close);
    place(btnCancel, buttons.cancel);
    MoveWindow(chkReadInfoOnly, du(design.readInfoOnly.x, d), du(design.readInfoOnly.y, d),
               du(design.readInfoOnlyWidth, d), labelH + du(6, d), TRUE);
    SendMessageW(StatusBar1, WM_SIZE, 0, 0);
}

// Client area: the panel and the status bar, nothing below them.
void TfrmMain::fitWindow() {
    RECT status{};
    GetWindowRect(StatusBar1, &status);
    const int clientW = du(cMainWindowDesign.panel.width, FDpi);
    const int clientH = du(cMainWindowDesign.panel.height, FDpi) + (status.bottom - status.top);
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

    TControllerState shown = state;
    shown.closing = state.closing || (FCloseAsked && !state.busy);
    const TMainView v = mainView(shown);
    SetWindowTextW(FhWnd, wide(state.title).c_str());
    setStatus(state.status);
    setProgress(state.progress,
                FController ? state.remainingAt(FController->nowMs()) : state.remainingMs);
    EnableWindow(btnProg, v.updateEnabled);
    ShowWindow(btnClose, v.closeShown ? SW_SHOWNA : SW_HIDE);
    ShowWindow(btnCancel, v.cancelShown ? SW_SHOWNA : SW_HIDE);
    EnableWindow(btnCancel, v.cancelEnabled);
    EnableWindow(cbxPort, v.portEnabled);
    ShowWindow(btnFile, v.fileShown ? SW_SHOWNA : SW_HIDE);
    EnableWindow(btnFile, v.fileEnabled);
    ShowWindow(chkReadInfoOnly, v.readInfoOnlyShown ? SW_SHOWNA : SW_HIDE);
    renderMenu();
    setBusyCursor(v.busyCursor);
    // A write in progress holds off a shutdown or log-off.
    if (state.busy != FShutdownBlocked) {
        FShutdownBlocked = state.busy;
        setShutdownBlock(FhWnd, FShutdownBlocked);
    }
    showReport();
}

// The report window appears once, at the first idle moment after start;
// nothing hides it again.  While the main window is minimised it is neither
// shown nor docked: it comes back with the main window.
void TfrmMain::showReport() {
    if (!frmProtocol || IsWindowVisible(frmProtocol->handle())) return;
    if (!reportToShow(FState.reportShown, FIdleDone, IsIconic(FhWnd) != FALSE)) return;
    frmProtocol->matchWidth(FhWnd);
    frmProtocol->dockUnder(FhWnd);
    frmProtocol->show();
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
    const std::wstring text = wide(progressCaption(percent, remainingMs));
    if (windowText(ProgressBar1) != text) SetWindowTextW(ProgressBar1, text.c_str());
}

void TfrmMain::addReport(const TReportLine& line) {
    if (frmProtocol) frmProtocol->Add(line.text, line.time);
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
    const TRect args = overviewExecuteArgs(outerRectOf(FhWnd));
    frmInfo->Execute(args.left, args.top, args.width, args.height);
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
        } else if (w == cCountdownTimerId && FController) {
            setProgress(FState.progress, FState.remainingAt(FController->nowMs()));
        }
        return 0;
    case WM_CLOSE:
        if (FClosing) break;
        // Closing while busy: once confirmed, the window shows that the
        // program is ending until it is gone, also when the session ends
        // at once (the wait before a restart).
        FCloseAsked = FState.busy;
        switch (FController->closeRequested()) {
        case TCloseAnswer::closeNow:
            FClosing = true;
            DestroyWindow(FhWnd);
            break;
        case TCloseAnswer::keepOpen:
            FCloseAsked = false;
            break;
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
        if (w != SIZE_MINIMIZED && frmProtocol) {
            // Restored: the report comes back under the main window, as wide
            // as it.
            frmProtocol->matchWidth(FhWnd);
            frmProtocol->dockUnder(FhWnd);
            showReport();
        }
        break;
    case WM_QUERYENDSESSION:
        // While busy a shutdown or log-off would cut the write off.
        return FState.busy ? FALSE : TRUE;
    case WM_ENDSESSION:
        // The session ends all the same (another program forced it, or the
        // user insisted): the running session is cancelled and its end
        // awaited, so the port is closed and the logger stays in its
        // bootloader, ready for the next update.
        if (w && FState.busy) {
            FController->cancelClicked();
            FController->endSession();
        }
        return 0;
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
