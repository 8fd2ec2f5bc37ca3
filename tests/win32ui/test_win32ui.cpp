// In-process tests of the Win32 program's windows: what another process
// cannot read under Wine (the menu) and the small parts the windows are
// built from.  The end-to-end behaviour is ui_driver's (test_windows_gui.sh).
#include "controller/uTimeLeft.h"
#include "win32ui/uControlIds.h"
#include "win32ui/uDesign.h"
#include "win32ui/uMain.h"
#include "win32ui/uMessage.h"
#include "win32ui/uPortBox.h"
#include "win32ui/uPostSink.h"
#include "win32ui/uProtocol.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// The common controls (status bar, progress bar, list view) are registered
// before any window is made, as the program does at its start.
const bool gControls = [] {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    return InitCommonControlsEx(&icc) != FALSE;
}();

std::vector<std::string> menuEntries(HMENU menu) {
    std::vector<std::string> entries;
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            entries.push_back("-");
            continue;
        }
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        entries.push_back(narrow(text));
    }
    return entries;
}

TProgramOptions optionsFor(int fileMode) {
    TProgramOptions o;
    o.iFileMode = fileMode;
    return o;
}

HWND plainWindow() {
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 300, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

} // namespace

TEST(Win32MainWindow, MenuFollowsTheMode) {
    const struct {
        int fileMode;
        std::vector<std::string> entries;
    } cases[] = {
        {0, {"Firmware", "-", "About", "Exit"}},
        {1, {"Firmware", "-", "About", "Exit"}},
        {2, {"Firmware", "File version", "-", "About", "Exit"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("iFileMode " + std::to_string(c.fileMode));
        TfrmMain frm(optionsFor(c.fileMode));
        HMENU bar = GetMenu(frm.handle());
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(menuEntries(bar), std::vector<std::string>{"Info v2021-12-01"});
        EXPECT_EQ(menuEntries(GetSubMenu(bar, 0)), c.entries);
        EXPECT_EQ(narrow(windowText(frm.handle())), "Tarvek2 Firmware Update");
    }
}

TEST(Win32MainWindow, ClientAreaIsThePanelAndTheStatusBar) {
    TfrmMain frm(optionsFor(0));
    const int dpi = dpiOf(frm.handle());
    RECT client{};
    RECT status{};
    GetClientRect(frm.handle(), &client);
    GetWindowRect(GetDlgItem(frm.handle(), cIdStatus), &status);
    EXPECT_EQ(client.right, du(441, dpi));
    EXPECT_EQ(client.bottom, du(201, dpi) + (status.bottom - status.top));
}

TEST(Win32MainWindow, ClosingWhileBusyShowsThatTheProgramIsEnding) {
    TfrmMain frm(optionsFor(0));
    HWND panel = GetDlgItem(frm.handle(), cIdPanel);
    TControllerState busy;
    busy.busy = true;
    busy.updateEnabled = false;
    busy.closeShown = false;
    busy.cancelShown = true;
    busy.portEnabled = false;
    busy.busyCursor = true;
    frm.render(busy);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(panel, cIdCancel)));
    busy.closing = true; // "Yes" to the close question: waiting for the session's end
    frm.render(busy);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel, cIdCancel)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel, cIdUpdate)));
    frm.render(TControllerState{});
}

TEST(Win32MessageWindow, HighEnoughForTheWholeText) {
    HWND main = plainWindow();
    SetWindowPos(main, nullptr, 100, 100, 460, 290, SWP_NOZORDER);
    TfrmMessage msg(main);
    HWND memo = GetDlgItem(msg.handle(), cIdMemo);
    const std::string remedy = "Aborted because serial port \"COM9\" is not ready!\r\nSerial port "
                               "\"COM9\" does not exist. Check that the logger's cable is "
                               "plugged in, or pick another port.";
    const std::string longText =
        "There is no update available or the logger has another update ID! "
        "There is no update available or the logger has another update ID! "
        "There is no update available or the logger has another update ID!";
    RECT m{};
    GetWindowRect(main, &m);
    for (const std::string& text : {std::string("Process cancelled!"), remedy, longText}) {
        SCOPED_TRACE(text);
        // "OK" is pressed as soon as the window runs.
        PostMessageW(msg.handle(), WM_COMMAND, IDOK, 0);
        msg.showMsg(text, m.left, m.top, m.right - m.left, m.bottom - m.top);
        HDC dc = GetDC(memo);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(memo, WM_GETFONT, 0, 0)));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(memo, dc);
        RECT client{};
        GetClientRect(memo, &client);
        const auto lines = static_cast<int>(SendMessageW(memo, EM_GETLINECOUNT, 0, 0));
        EXPECT_LE(lines * tm.tmHeight, client.bottom) << lines << " lines";
        RECT w{};
        GetWindowRect(msg.handle(), &w);
        const int inset = MulDiv(10, dpiOf(main), 96);
        EXPECT_EQ(w.bottom, m.bottom - inset);
        EXPECT_EQ(w.left, m.left + inset);
        EXPECT_EQ(w.right, m.right - inset);
    }
    DestroyWindow(main);
}

TEST(Win32Notifications, PostedValueKeepsItsSign) {
    HWND target = plainWindow();
    TPostMessageSink sink;
    sink.attach(target);
    const std::int32_t values[] = {0, 1, -1, 0xFFFE, INT32_MIN, INT32_MAX};
    for (const std::int32_t v : values) {
        sink.post(TNotification{cNT_ABORT, v});
        MSG msg{};
        ASSERT_TRUE(PeekMessageW(&msg, target, WM_USER, WM_USER, PM_REMOVE));
        EXPECT_EQ(TPostMessageSink::fromMessage(msg.wParam, msg.lParam),
                  (TNotification{cNT_ABORT, v}));
    }
    DestroyWindow(target);
}

TEST(Win32ProgressText, PercentAndTimeLeft) {
    const struct {
        int percent;
        std::int64_t remainingMs;
        const char* text;
    } cases[] = {
        {0, -1, "0%"},
        {37, -1, "37%"},
        {37, 65000, "37% - 1:05 left"},
        {99, 1, "99% - 0:01 left"}, // a part of a second left shows as one
        {50, 600000, "50% - 10:00 left"},
        {100, -1, "100%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(progressCaption(c.percent, c.remainingMs), c.text);
}

TEST(Win32Report, StampedLinesInOrderUntilCleared) {
    HWND main = plainWindow();
    TfrmProtocol report(main);
    HWND memo = GetDlgItem(report.handle(), cIdMemo);
    std::tm t{};
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    report.Add("Start at serial port \"COM5\"", t);
    report.Add("", t);
    t.tm_sec = 10;
    report.Add("Process cancelled!", t);
    EXPECT_EQ(narrow(windowText(memo)), "14-05-09 -> Start at serial port \"COM5\"\r\n"
                                        "14-05-09 -> \r\n"
                                        "14-05-10 -> Process cancelled!");
    report.Clear();
    EXPECT_EQ(GetWindowTextLengthW(memo), 0);

    // Docked: its top edge on the main window's bottom edge, left edges lined up.
    SetWindowPos(main, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    report.dockUnder(main);
    RECT m{};
    RECT r{};
    GetWindowRect(main, &m);
    GetWindowRect(report.handle(), &r);
    EXPECT_EQ(r.top, m.bottom);
    EXPECT_EQ(r.left, m.left);
    DestroyWindow(main);
}

TEST(Win32PortBox, RefillKeepsTheTypedPortAndTheOrder) {
    HWND parent = plainWindow();
    HWND box = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | CBS_DROPDOWN, 0, 0, 100, 200,
                               parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowTextW(box, L"COM9");
    fillPortBox(box, {"COM7", "COM5"});
    EXPECT_EQ(narrow(windowText(box)), "COM9");
    ASSERT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 2);
    wchar_t first[16] = {};
    SendMessageW(box, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(narrow(first), "COM7"); // the registry's order, not sorted
    DestroyWindow(parent);
}
