// ui_driver.exe: drives tarvek2-update.exe from outside, as an operator
// would, and checks what the windows show.  One scenario a run:
//
//   ui_driver update    PROGRAM   full update on COM5, "No" then "Yes" to the question
//   ui_driver cancel    PROGRAM   "Cancel" during the update on COM5
//   ui_driver restart   PROGRAM   silent logger on COM6: restarts, then "Cancel"
//   ui_driver intern    PROGRAM FILE   internal mode with "f:+": report window, "Read
//                                  info only", "File" and "File version" with a
//                                  name outside the code page, the overview (one
//                                  width at every opening, the keyboard back after
//                                  a message over it)
//   ui_driver closebusy PROGRAM [PORT]   closing while busy: "No" keeps it, "Yes"
//                                  ends it within 1.5 s in every phase, "Cancel"
//                                  disabled (PORT: a paced logger, default COM5)
//   ui_driver shutdown  PROGRAM   WM_QUERYENDSESSION refused while busy, with a
//                                  reason; WM_ENDSESSION ends the session
//   ui_driver minimise  PROGRAM   internal mode: minimised during an update, the
//                                  report keeps its size and comes back docked
//   ui_driver remedy    PROGRAM [DIR]   a missing port: the message window shows
//                                  the cause and remedy in full (picture into DIR)
//   ui_driver ports     PROGRAM   the port box from the registry's serial device map,
//                                  refilled when a port arrives (WM_DEVICECHANGE)
//   ui_driver screenshots PROGRAM DIR   pictures of the windows as BMP files in DIR
//                                  (a Linux path; switches the internal mode on
//                                  and off in the registry itself)
//
// FILE is a Linux path of an image file (Wine's drive Z: is the root).  Each
// check prints "ok: ..." or "FAILED: ..."; the exit status is the number of
// failed checks (0: all passed).
#include "ui_driver.h"

#include "win32ui/uControlIds.h"

#include <dbt.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

int gFailures = 0;

RECT unite(const RECT& a, const RECT& b);
void shoot(const std::wstring& dir, const char* name, const RECT& r);

void check(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    if (!ok) ++gFailures;
}

template <typename T> std::string quoted(const T& v) {
    return "'" + std::string(v) + "'";
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string noCr(std::string s) {
    std::string out;
    for (const char c : s)
        if (c != '\r') out += c;
    return out;
}

RECT rectOf(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

// The program under test and its controls.
class TApp {
  public:
    TApp(const std::wstring& exe, const std::wstring& args) {
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        const auto t0 = std::chrono::steady_clock::now();
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &FPi)) {
            check(false, "start " + narrow(cmd));
            return;
        }
        // Shown, and answering: a window whose thread is still busy (its
        // first paint on a loaded machine, or under emulation) gives no text
        // to WM_GETTEXT within the driver's time-out, and the checks would
        // read empty texts.
        waitUntil(
            [&] {
                main = findTopWindow(FPi.dwProcessId, cMainClass, nullptr);
                return main && !textOf(main).empty();
            },
            60000);
        startupMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - t0)
                        .count();
        check(main != nullptr,
              "the main window appears (after " + std::to_string(startupMs) + " ms)");
        panel = GetDlgItem(main, cIdPanel);
        statusBar = GetDlgItem(main, cIdStatus);
    }
    ~TApp() {
        if (!FPi.hProcess) return;
        if (WaitForSingleObject(FPi.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(FPi.hProcess, 99);
            WaitForSingleObject(FPi.hProcess, 5000);
        }
        CloseHandle(FPi.hProcess);
        CloseHandle(FPi.hThread);
    }
    TApp(const TApp&) = delete;
    TApp& operator=(const TApp&) = delete;

    bool ok() const { return main != nullptr && panel != nullptr; }
    HWND ctl(int id) const { return GetDlgItem(panel, id); }
    bool shown(int id) const { return IsWindowVisible(ctl(id)) != FALSE; }
    bool enabled(int id) const { return IsWindowEnabled(ctl(id)) != FALSE; }
    std::string title() const { return narrow(textOf(main)); }
    std::string status() const { return narrow(statusBarText(FPi.hProcess, statusBar)); }
    int progress() const {
        return static_cast<int>(SendMessageW(ctl(cIdProgress), PBM_GETPOS, 0, 0));
    }
    std::string progressText() const { return narrow(textOf(ctl(cIdProgress))); }
    std::string port() const { return narrow(textOf(ctl(cIdPort))); }
    HWND confirmBox() const { return findTopWindow(FPi.dwProcessId, L"#32770", L"Confirm"); }
    HWND messageWindow() const {
        return findTopWindow(FPi.dwProcessId, cMessageClass, L"Information");
    }
    HWND reportWindow() const {
        return findTopWindow(FPi.dwProcessId, cReportClass, nullptr, true);
    }
    HWND overview() const { return findTopWindow(FPi.dwProcessId, cOverviewClass, L"Overview"); }
    HWND openDialog() const { return findTopWindow(FPi.dwProcessId, L"#32770", L"Open"); }
    std::vector<std::string> report() const {
        return linesOf(textOf(GetDlgItem(reportWindow(), cIdMemo)));
    }
    HANDLE process() const { return FPi.hProcess; }
    void click(int id) const { PostMessageW(ctl(id), BM_CLICK, 0, 0); }
    void menu(int id) const { PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // Ends within ms; the exit code, or -1 when it still runs.
    long exitedWithin(int ms) const {
        if (WaitForSingleObject(FPi.hProcess, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(FPi.hProcess, &code);
        return static_cast<long>(code);
    }

    // The idle state: "Update" usable, "Close" in place of "Cancel", the
    // port box usable, the program's name in the title.
    void checkIdle(const std::string& when) const {
        check(enabled(cIdUpdate) && shown(cIdUpdate), when + ": \"Update\" enabled");
        check(shown(cIdClose) && !shown(cIdCancel), when + ": \"Close\" shown, \"Cancel\" hidden");
        check(enabled(cIdPort), when + ": port box enabled");
        check(title() == "Tarvek2 Firmware Update", when + ": title " + quoted(title()));
    }
    void checkBusy(const std::string& when) const {
        check(!enabled(cIdUpdate), when + ": \"Update\" disabled");
        check(!shown(cIdClose) && shown(cIdCancel), when + ": \"Cancel\" shown, \"Close\" hidden");
        check(!enabled(cIdPort), when + ": port box disabled");
    }

    HWND main = nullptr;
    HWND panel = nullptr;
    HWND statusBar = nullptr;
    long long startupMs = 0;

  private:
    PROCESS_INFORMATION FPi{};
};

// Answers the "Confirm" box that must appear: checks its question, its
// English buttons and "Yes" as the default, and presses yes or no.
void answerConfirm(const TApp& app, const std::string& question, bool yes) {
    HWND box = nullptr;
    waitUntil([&] { return (box = app.confirmBox()); }, 10000);
    check(box != nullptr, "\"Confirm\" box appears");
    if (!box) return;
    check(noCr(narrow(textOf(GetDlgItem(box, 0xFFFF)))) == noCr(question),
          "question " + quoted(noCr(narrow(textOf(GetDlgItem(box, 0xFFFF))))));
    check(narrow(textOf(GetDlgItem(box, IDYES))) == "Yes" &&
              narrow(textOf(GetDlgItem(box, IDNO))) == "No",
          "buttons \"Yes\" and \"No\"");
    // The default button is drawn with the bold frame; Enter presses it.
    const auto buttonType = [&](int id) {
        return GetWindowLongW(GetDlgItem(box, id), GWL_STYLE) & BS_TYPEMASK;
    };
    check(buttonType(IDYES) == BS_DEFPUSHBUTTON && buttonType(IDNO) == BS_PUSHBUTTON,
          "\"Yes\" is the default button");
    PostMessageW(GetDlgItem(box, yes ? IDYES : IDNO), BM_CLICK, 0, 0);
    check(waitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000),
          std::string("\"Confirm\" closes on ") + (yes ? "\"Yes\"" : "\"No\""));
}

// Waits for the message window; returns its text (empty when none came).
std::string awaitMessage(const TApp& app, int ms, HWND* window = nullptr) {
    HWND msg = nullptr;
    waitUntil([&] { return (msg = app.messageWindow()); }, ms, 50);
    check(msg != nullptr, "the message window \"Information\" appears");
    if (window) *window = msg;
    return msg ? noCr(narrow(textOf(GetDlgItem(msg, cIdMemo)))) : std::string();
}

void pressOk(const TApp& app, HWND msg) {
    if (!msg) return;
    PostMessageW(GetDlgItem(msg, IDOK), BM_CLICK, 0, 0);
    check(waitUntil([&] { return !IsWindowVisible(msg); }, 5000),
          "\"OK\" closes the message window");
    (void)app;
}

bool isStampedLine(const std::string& line, const std::string& text) {
    static const std::regex stamp(R"(^\d\d-\d\d-\d\d -> )");
    return std::regex_search(line, stamp) && line.substr(12) == text;
}

void closeIdle(TApp& app) {
    app.click(cIdClose);
    const long code = app.exitedWithin(15000);
    check(code == 0, "\"Close\" while idle ends the program (exit " + std::to_string(code) + ")");
}

// --- Scenarios -----------------------------------------------------------------

const char* const cSaveQuestion =
    "Do you save your measurements ?\r\nDo you really continue without saving ?";
const char* const cCloseQuestion =
    "The update is not finished!\r\nDo you really close the program ?";
const char* const cDone = "Update Tarvek2 V2.08 succesfully completed.";

int scenarioUpdate(const std::wstring& exe) {
    TApp app(exe, L"port:COM5");
    if (!app.ok()) return gFailures;
    std::printf("start-up to the main window: %lld ms\n", app.startupMs);
    app.checkIdle("at start");
    check(app.port() == "COM5", "port box " + quoted(app.port()));
    check(!app.shown(cIdFile) && !app.shown(cIdReadInfoOnly),
          "normal mode: no \"File\", no \"Read info only\"");
    HWND report = app.reportWindow();
    check(report != nullptr && !IsWindowVisible(report), "normal mode: report window hidden");
    check(app.status().empty(), "status bar empty at start");
    {
        const RECT upd = rectOf(app.ctl(cIdUpdate));
        const RECT cls = rectOf(app.ctl(cIdClose));
        check(upd.right - upd.left == cls.right - cls.left, "\"Update\" as wide as \"Close\"");
    }

    app.click(cIdUpdate);
    answerConfirm(app, cSaveQuestion, false);
    sleepMs(300);
    app.checkIdle("after \"No\"");
    check(app.status().empty(), "\"No\" starts nothing: status " + quoted(app.status()));

    app.click(cIdUpdate);
    answerConfirm(app, cSaveQuestion, true);
    check(waitUntil([&] { return app.shown(cIdCancel); }, 10000), "busy after \"Yes\"");
    app.checkBusy("while updating");

    // Follow the progress bar, the title and the status bar to the end.
    int last = 0;
    bool backwards = false;
    bool titleSeen = false;
    bool timeLeftSeen = false;
    std::vector<std::string> statuses;
    HWND msg = nullptr;
    const auto t0 = std::chrono::steady_clock::now();
    while (!(msg = app.messageWindow())) {
        if (std::chrono::steady_clock::now() - t0 > std::chrono::seconds(400)) break;
        const int p = app.progress();
        const std::string title = app.title();
        const std::string s = app.status();
        if (p < last) backwards = true;
        last = std::max(last, p);
        if (p > 0 && p < 100 && title == std::to_string(p) + "%") titleSeen = true;
        if (app.progressText().find(" left") != std::string::npos) timeLeftSeen = true;
        if (!s.empty() && (statuses.empty() || statuses.back() != s)) statuses.push_back(s);
        sleepMs(100);
    }
    std::printf("update from the window: %lld s\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(
                                           std::chrono::steady_clock::now() - t0)
                                           .count()));
    check(!backwards && last > 50,
          "progress bar moved forward only (up to " + std::to_string(last) + " before the end)");
    check(titleSeen, "the title showed the percent while busy");
    check(timeLeftSeen, "the progress bar showed the time left");
    bool imageNamed = false;
    for (const std::string& st : statuses)
        if (st.rfind("Update Tarvek2 V2.08, ", 0) == 0) imageNamed = true;
    check(imageNamed, "status bar named the image while writing (" +
                          std::to_string(statuses.size()) + " texts seen)");

    const std::string text = awaitMessage(app, 1000, &msg);
    check(text == cDone, "message " + quoted(text));
    if (text != cDone)
        for (const std::string& l : app.report())
            std::printf("   report: %s\n", l.c_str());
    // The window is idle before the message shows.
    app.checkIdle("under the message window");
    check(app.progress() == 100, "progress bar at 100");
    check(app.status() == cDone, "status " + quoted(app.status()));
    if (msg) {
        // Over the lower part of the main window: 10 in from its sides, its
        // bottom edge 10 above the main window's.
        const RECT m = rectOf(app.main);
        const RECT w = rectOf(msg);
        const int inset = MulDiv(10, GetDeviceCaps(GetDC(nullptr), LOGPIXELSY), 96);
        check(w.left == m.left + inset && w.right == m.right - inset &&
                  w.bottom == m.bottom - inset,
              "message window placed over the main window's lower part");
        const LONG style = GetWindowLongW(msg, GWL_STYLE);
        check(!(style & WS_SYSMENU) && !(style & WS_THICKFRAME),
              "message window: fixed border, no caption buttons");
    }
    pressOk(app, msg);

    const std::vector<std::string> lines = app.report();
    check(!lines.empty() && isStampedLine(lines.front(), "Start at serial port \"COM5\""),
          "report starts with the start line: " + quoted(lines.empty() ? "" : lines.front()));
    check(!lines.empty() && isStampedLine(lines.back(), cDone),
          "report ends with the outcome: " + quoted(lines.empty() ? "" : lines.back()));
    closeIdle(app);
    return gFailures;
}

int scenarioCancel(const std::wstring& exe) {
    TApp app(exe, L"port:COM5");
    if (!app.ok()) return gFailures;
    app.click(cIdUpdate);
    answerConfirm(app, cSaveQuestion, true);
    check(waitUntil([&] { return app.progress() >= 2; }, 120000), "the update is under way");
    app.checkBusy("before \"Cancel\"");
    app.click(cIdCancel);
    HWND msg = nullptr;
    const std::string text = awaitMessage(app, 30000, &msg);
    check(text == "Process cancelled!", "message " + quoted(text));
    app.checkIdle("after \"Cancel\"");
    check(app.status() == "Process cancelled!", "status " + quoted(app.status()));
    pressOk(app, msg);
    closeIdle(app);
    return gFailures;
}

int scenarioRestart(const std::wstring& exe) {
    TApp app(exe, L"port:COM6");
    if (!app.ok()) return gFailures;
    app.click(cIdUpdate);
    answerConfirm(app, cSaveQuestion, true);
    const std::string repeat = "Repeat update because communication error!";
    check(waitUntil([&] { return app.status() == repeat; }, 30000, 10),
          "status bar: " + quoted(repeat));
    app.checkBusy("waiting to restart");
    check(waitUntil([&] { return app.status() == "Start at serial port \"COM6\""; }, 10000, 10),
          "the session starts again on its own");
    app.checkBusy("after the restart");
    const std::vector<std::string> lines = app.report();
    int starts = 0;
    int repeats = 0;
    for (const std::string& l : lines) {
        if (isStampedLine(l, "Start at serial port \"COM6\"")) ++starts;
        if (isStampedLine(l, repeat)) ++repeats;
    }
    check(starts >= 2 && repeats >= 1 &&
              isStampedLine(lines.front(), "Start at serial port \"COM6\""),
          "the report keeps the first run's lines: " + std::to_string(starts) + " starts, " +
              std::to_string(repeats) + " repeats");
    app.click(cIdCancel);
    HWND msg = nullptr;
    const std::string text = awaitMessage(app, 30000, &msg);
    check(text == "Process cancelled!", "\"Cancel\" ends the restarted session: " + quoted(text));
    app.checkIdle("after \"Cancel\"");
    pressOk(app, msg);
    closeIdle(app);
    return gFailures;
}

std::wstring windowsPath(const std::string& unixPath) {
    std::wstring w = L"Z:" + wide(unixPath);
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    return w;
}

// Picks fileName in the file-open dialog that must appear.
void pickFile(const TApp& app, const std::wstring& fileName) {
    HWND dlg = nullptr;
    waitUntil([&] { return (dlg = app.openDialog()); }, 15000);
    check(dlg != nullptr, "the file-open dialog appears");
    if (!dlg) return;
    HWND name = GetDlgItem(dlg, 0x47C); // the file name box
    if (!name) name = GetDlgItem(dlg, 0x480);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName.c_str()));
    PostMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    check(waitUntil([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }, 10000),
          "the file-open dialog closes on \"Open\"");
}

void checkOverview(const TApp& app, const std::vector<std::vector<std::string>>& expected,
                   const std::string& when) {
    HWND ov = nullptr;
    waitUntil([&] { return (ov = app.overview()); }, 10000);
    check(ov != nullptr, when + ": the overview appears");
    if (!ov) return;
    HWND list = GetDlgItem(ov, cIdList);
    const auto columns = listViewColumns(app.process(), list);
    check(columns ==
              std::vector<std::string>{"Firmware", "Version", "Platform", "Print", "Date", "BL"},
          when + ": six columns Firmware, Version, Platform, Print, Date, BL");
    const auto rows = listViewRows(app.process(), list);
    check(rows == expected, when + ": " + std::to_string(rows.size()) + " rows as expected");
    for (const auto& r : rows) {
        std::string line;
        for (const auto& c : r)
            line += c + " | ";
        std::printf("   %s\n", line.c_str());
    }
    // Client width: the columns' widths + 30; every column at least as
    // wide as its widest cell.
    int total = 0;
    for (int c = 0; c < 6; ++c)
        total += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0));
    RECT client{};
    GetClientRect(ov, &client);
    check(client.right == total + 30, when + ": client width " + std::to_string(client.right) +
                                          " = columns " + std::to_string(total) + " + 30");
    const RECT m = rectOf(app.main);
    const RECT o = rectOf(ov);
    check(o.left == m.left && o.top == m.top && o.bottom - o.top == m.bottom - m.top,
          when + ": over the main window's top-left corner, as high as it");
    PostMessageW(GetDlgItem(ov, IDOK), BM_CLICK, 0, 0);
    check(waitUntil([&] { return !IsWindowVisible(ov); }, 5000), when + ": \"OK\" closes it");
}

// Internal mode: the report window appears at the first idle moment.
HWND awaitReport(const TApp& app) {
    HWND report = nullptr;
    waitUntil(
        [&] {
            report = app.reportWindow();
            return report && IsWindowVisible(report);
        },
        10000);
    check(report && IsWindowVisible(report), "internal mode: the report window shows");
    return report;
}

int scenarioIntern(const std::wstring& exe, const std::string& file) {
    TApp app(exe, L"port:COM5 f:+");
    if (!app.ok()) return gFailures;
    HWND report = awaitReport(app);
    check(narrow(textOf(report)) == "Report", "its caption " + quoted(narrow(textOf(report))));
    check(!(GetWindowLongW(report, GWL_STYLE) & WS_SYSMENU), "no close button on the report");
    auto docked = [&] {
        const RECT m = rectOf(app.main);
        const RECT r = rectOf(report);
        return r.top == m.bottom && r.left == m.left && r.right - r.left == m.right - m.left;
    };
    check(docked(), "report docked under the main window, as wide as it");
    const RECT before = rectOf(app.main);
    SetWindowPos(app.main, nullptr, before.left + 40, before.top + 30, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    check(waitUntil([&] { return rectOf(app.main).left == before.left + 40 && docked(); }, 5000),
          "moving the main window takes the report along");

    check(app.shown(cIdFile) && app.shown(cIdReadInfoOnly),
          "\"File\" and \"Read info only\" shown");
    {
        const RECT upd = rectOf(app.ctl(cIdUpdate));
        const RECT fil = rectOf(app.ctl(cIdFile));
        const RECT cls = rectOf(app.ctl(cIdClose));
        const int dpi = GetDeviceCaps(GetDC(nullptr), LOGPIXELSY);
        const int half = MulDiv(139 / 2, dpi, 120);
        check(upd.right - upd.left == half && fil.right - fil.left == half &&
                  std::abs((cls.right - cls.left) / 2 - half) <= 1,
              "\"Update\" and \"File\" each half as wide as \"Close\"");
        // "File" 8 design units right of "Update".
        check(fil.left - upd.left == MulDiv(50 + 69 + 8, dpi, 120) - MulDiv(50, dpi, 120),
              "\"File\" right of \"Update\"");
    }

    app.click(cIdReadInfoOnly);
    check(waitUntil(
              [&] {
                  return SendMessageW(app.ctl(cIdReadInfoOnly), BM_GETCHECK, 0, 0) == BST_CHECKED;
              },
              3000),
          "\"Read info only\" checked");
    app.click(cIdUpdate);
    HWND msg = nullptr;
    bool asked = false;
    waitUntil(
        [&] {
            if (app.confirmBox()) asked = true;
            return asked || (msg = app.messageWindow());
        },
        60000);
    check(!asked, "internal mode: \"Update\" asks no question");
    std::string text = awaitMessage(app, 60000, &msg);
    check(text == "Only read update info!", "read info only: " + quoted(text));
    std::vector<std::string> lines = app.report();
    bool checked = false;
    for (const std::string& l : lines)
        if (l.find(" -> Check Tarvek2 V2.08, ") != std::string::npos) checked = true;
    check(!lines.empty() && isStampedLine(lines.front(), "Start at serial port \"COM5\"") &&
              checked && isStampedLine(lines.back(), "Only read update info!"),
          "report lines: start, image checks, outcome (" + std::to_string(lines.size()) +
              " lines)");
    pressOk(app, msg);

    const std::vector<std::vector<std::string>> builtIn = {
        {"Tarvek2", "2.08", "F5438 WD2", "A10g WLAN UART", "01.12.2021 09:05:06", "3.0"},
        {"Tarvek2", "2.08", "F5438 WD2", "A10e WLAN UART", "01.12.2021 09:05:00", "3.0"}};
    app.menu(cIdMenuFirmware);
    checkOverview(app, builtIn, "\"Firmware\"");
    // Opened three more times, the overview keeps one width.
    std::vector<LONG> widths;
    for (int i = 0; i < 3; ++i) {
        app.menu(cIdMenuFirmware);
        HWND ov = nullptr;
        waitUntil([&] { return (ov = app.overview()); }, 10000);
        if (!ov) break;
        const RECT o = rectOf(ov);
        widths.push_back(o.right - o.left);
        PostMessageW(GetDlgItem(ov, IDOK), BM_CLICK, 0, 0);
        waitUntil([&] { return !IsWindowVisible(ov); }, 5000);
    }
    std::string seen;
    for (const LONG w : widths)
        seen += std::to_string(w) + " ";
    check(widths.size() == 3 && widths[0] == widths[1] && widths[1] == widths[2],
          "the overview opened three times keeps one width: " + seen);

    // The message window over the overview: after its "OK" the overview has
    // the keyboard again, and Enter presses the overview's "OK".
    app.click(cIdUpdate); // "Read info only" is still checked: a short session
    app.menu(cIdMenuFirmware);
    HWND ov = nullptr;
    waitUntil([&] { return (ov = app.overview()); }, 10000);
    text = awaitMessage(app, 60000, &msg);
    check(ov && IsWindowVisible(ov) && text == "Only read update info!",
          "the message window opens over the overview: " + quoted(text));
    pressOk(app, msg);
    const bool overviewActive = ov && waitUntil([&] { return GetForegroundWindow() == ov; }, 3000);
    wchar_t activeClass[64] = {};
    GetClassNameW(GetForegroundWindow(), activeClass, 64);
    check(overviewActive, "after \"OK\" the overview is the active window again (active: " +
                              narrow(activeClass) + ")");
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    check(ov && waitUntil([&] { return !IsWindowVisible(ov); }, 5000),
          "Enter closes the overview: its \"OK\" has the keyboard focus");
    if (ov && IsWindowVisible(ov)) PostMessageW(GetDlgItem(ov, IDOK), BM_CLICK, 0, 0);
    check(waitUntil([&] { return IsWindowEnabled(app.main) != FALSE; }, 5000),
          "the main window takes input again");

    // "File" with a name outside the system's code page: the file's image
    // (version 2.09) is checked first.
    const std::wstring wideFile = windowsPath(file) + L"-euro\u20ac-\u6587\u4ef6.txt";
    check(CopyFileW(windowsPath(file).c_str(), wideFile.c_str(), FALSE) != FALSE,
          "an image file named with \"\u20ac\" and CJK letters");
    app.click(cIdFile);
    pickFile(app, wideFile);
    text = awaitMessage(app, 60000, &msg);
    check(text == "Only read update info!", "\"File\" with read info only: " + quoted(text));
    lines = app.report();
    bool fileChecked = false;
    for (const std::string& l : lines)
        if (l.find(" -> Check Tarvek2 V2.09, ") != std::string::npos) fileChecked = true;
    check(fileChecked && isStampedLine(lines.front(), "Start at serial port \"COM5\""),
          "\"File\" cleared the report and checked the file's image");
    pressOk(app, msg);

    app.menu(cIdMenuFileVersion);
    pickFile(app, wideFile);
    std::vector<std::vector<std::string>> withFile = builtIn;
    withFile.insert(withFile.begin(), {"Tarvek2", "2.09", "F5438 WD2", "A10e WLAN UART",
                                       "01.12.2021 09:05:00", "3.0"});
    checkOverview(app, withFile, "\"File version\"");
    DeleteFileW(wideFile.c_str());
    closeIdle(app);
    return gFailures;
}

// "Yes" to closing while busy: the program shows that it is ending
// ("Cancel" disabled, the busy cursor kept) and ends within 1.5 s.
void closeYes(TApp& app, const std::string& phase) {
    PostMessageW(app.main, WM_CLOSE, 0, 0);
    answerConfirm(app, cCloseQuestion, true);
    const auto t0 = std::chrono::steady_clock::now();
    const auto elapsedMs = [&t0] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - t0)
            .count();
    };
    // Until it is gone, it shows that it is ending: never idle again, and
    // from a moment after "Yes" on, "Cancel" shown but disabled.  (The wait
    // before a restart has no session to wait for: it ends at once.)
    std::string wrong;
    waitUntil(
        [&] {
            if (app.exitedWithin(0) >= 0 || !IsWindow(app.main) || !IsWindowVisible(app.main))
                return true;
            const bool cancelShown = app.shown(cIdCancel);
            const bool cancelEnabled = app.enabled(cIdCancel);
            const bool updateEnabled = app.enabled(cIdUpdate);
            const bool ending = cancelShown && !cancelEnabled && !updateEnabled;
            if (wrong.empty() && (updateEnabled || (!ending && elapsedMs() > 100)))
                wrong = std::string("after ") + std::to_string(elapsedMs()) + " ms: cancel " +
                        (cancelShown ? "shown" : "hidden") +
                        (cancelEnabled ? " enabled" : " disabled") + ", update " +
                        (updateEnabled ? "enabled" : "disabled");
            return false;
        },
        5000, 5);
    check(wrong.empty(), phase + ": after \"Yes\" \"Cancel\" is disabled until the end" +
                             (wrong.empty() ? std::string() : " (seen " + wrong + ")"));
    const long code = app.exitedWithin(5000);
    const long long ms = elapsedMs();
    check(code == 0 && ms <= 1500, phase + ": \"Yes\": the program ends within 1.5 s (exit " +
                                       std::to_string(code) + " after " + std::to_string(ms) +
                                       " ms)");
}

// Internal mode: the main window minimised during an update, then restored.
// While minimised the report is not docked to the minimised window's place
// nor given its width; it comes back under the main window, as wide as it.
int scenarioMinimise(const std::wstring& exe) {
    TApp app(exe, L"port:COM5");
    if (!app.ok()) return gFailures;
    HWND report = awaitReport(app);
    if (!report) return gFailures;
    const RECT shown = rectOf(report);
    app.click(cIdUpdate);
    check(waitUntil([&] { return app.progress() >= 1; }, 120000), "the update is under way");
    ShowWindow(app.main, SW_MINIMIZE);
    check(waitUntil([&] { return IsIconic(app.main) != FALSE; }, 5000),
          "the main window minimised");
    // Windows hides the windows a minimised window owns; Wine without a
    // window manager leaves them, so the driver does what Windows does.
    if (IsWindowVisible(report)) ShowWindow(report, SW_HIDE);
    const int p = app.progress();
    check(waitUntil([&] { return app.progress() >= p + 2; }, 120000),
          "the update goes on while minimised");
    const RECT whileMin = rectOf(report);
    check(!IsWindowVisible(report) && whileMin.left == shown.left && whileMin.top == shown.top &&
              whileMin.right - whileMin.left == shown.right - shown.left,
          "while minimised the report stays hidden, in its place and size (" +
              std::to_string(whileMin.left) + "," + std::to_string(whileMin.top) + " " +
              std::to_string(whileMin.right - whileMin.left) + " wide)");
    ShowWindow(app.main, SW_RESTORE);
    check(waitUntil([&] { return !IsIconic(app.main); }, 5000), "the main window restored");
    const int q = app.progress();
    waitUntil([&] { return app.progress() > q; }, 60000);
    const RECT m = rectOf(app.main);
    const RECT r = rectOf(report);
    check(IsWindowVisible(report) && r.top == m.bottom && r.left == m.left &&
              r.right - r.left == m.right - m.left && r.bottom - r.top == shown.bottom - shown.top,
          "restored: the report back under the main window, as wide as it, its height kept (" +
              std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top) + ")");
    app.click(cIdCancel);
    HWND msg = nullptr;
    awaitMessage(app, 30000, &msg);
    pressOk(app, msg);
    closeIdle(app);
    return gFailures;
}

// The logger on PORT must answer at a line's pace: the update has to outlast
// the question and both answers.  Against an unpaced logger a slow machine
// (a 32-bit program under emulation) finishes the whole update while the
// first question is still open.
int scenarioCloseBusy(const std::wstring& exe, const std::wstring& port) {
    {
        TApp app(exe, L"port:" + port);
        if (!app.ok()) return gFailures;
        app.click(cIdUpdate);
        answerConfirm(app, cSaveQuestion, true);
        check(waitUntil([&] { return app.progress() >= 1; }, 120000), "the update is under way");
        const auto t0 = std::chrono::steady_clock::now();
        const int atClose = app.progress();
        PostMessageW(app.main, WM_CLOSE, 0, 0);
        answerConfirm(app, cCloseQuestion, false);
        const int p = app.progress();
        std::printf("progress %d%% at the close, %d%% after \"No\" (%lld ms later)\n", atClose, p,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - t0)
                                               .count()));
        check(p < 100, "the update still runs after \"No\"");
        check(waitUntil([&] { return app.progress() > p; }, 60000) && IsWindow(app.main),
              "\"No\": the window and the update go on");
        app.checkBusy("after \"No\"");
        closeYes(app, "writing");
    }
    {
        // The first moments: the port opens, the logger is asked who it is.
        TApp app(exe, L"port:" + port);
        if (!app.ok()) return gFailures;
        app.click(cIdUpdate);
        answerConfirm(app, cSaveQuestion, true);
        check(waitUntil([&] { return app.shown(cIdCancel); }, 10000), "busy after \"Yes\"");
        closeYes(app, "identifying");
    }
    {
        // A silent logger: the session's retries, then the wait before the
        // restart.
        TApp app(exe, L"port:COM6");
        if (!app.ok()) return gFailures;
        app.click(cIdUpdate);
        answerConfirm(app, cSaveQuestion, true);
        check(waitUntil([&] { return app.shown(cIdCancel); }, 10000), "busy after \"Yes\"");
        sleepMs(400);
        closeYes(app, "retrying a silent line");
    }
    {
        TApp app(exe, L"port:COM6");
        if (!app.ok()) return gFailures;
        app.click(cIdUpdate);
        answerConfirm(app, cSaveQuestion, true);
        check(
            waitUntil([&] { return app.status() == "Repeat update because communication error!"; },
                      30000, 10),
            "waiting to restart");
        closeYes(app, "waiting to restart");
    }
    return gFailures;
}

// A shutdown or log-off: refused while busy, with a reason the user can
// read; the session ending anyway cancels the update and waits for its end.
int scenarioShutdown(const std::wstring& exe) {
    TApp app(exe, L"port:COM5");
    if (!app.ok()) return gFailures;
    DWORD_PTR answer = 99;
    SendMessageTimeoutW(app.main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    check(answer == TRUE,
          "idle: a log-off is not held off (answer " + std::to_string(answer) + ")");
    app.click(cIdUpdate);
    answerConfirm(app, cSaveQuestion, true);
    check(waitUntil([&] { return app.progress() >= 1; }, 120000), "the update is under way");
    answer = 99;
    SendMessageTimeoutW(app.main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    check(answer == FALSE, "busy: the log-off is refused (answer " + std::to_string(answer) + ")");
    wchar_t reason[512] = {};
    DWORD size = 512;
    // Wine has ShutdownBlockReasonCreate as a stub and no query at all: a
    // call of the query would end the driver.
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (wine)
        std::printf("note: under Wine the reason cannot be read back\n");
    else if (ShutdownBlockReasonQuery(app.main, reason, &size))
        check(std::wstring(reason).find(L"firmware update") != std::wstring::npos,
              "the reason names the update: " + quoted(narrow(reason)));
    else
        std::printf("note: ShutdownBlockReasonQuery answers nothing here (error %lu)\n",
                    GetLastError());
    check(app.enabled(cIdCancel) && app.shown(cIdCancel), "the update goes on after the refusal");

    // The session ends anyway: the update is cancelled and its end awaited
    // before the answer comes back.
    const auto t0 = std::chrono::steady_clock::now();
    DWORD_PTR ignored = 0;
    const LRESULT sent = SendMessageTimeoutW(app.main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF,
                                             SMTO_ABORTIFHUNG, 10000, &ignored);
    const long long ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    check(sent != 0 && ms <= 1500,
          "WM_ENDSESSION returns once the session has ended (" + std::to_string(ms) + " ms)");
    app.checkIdle("after WM_ENDSESSION");
    answer = 99;
    SendMessageTimeoutW(app.main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        &answer);
    check(answer == TRUE, "idle again: nothing is held off");
    closeIdle(app);
    return gFailures;
}

// A port that does not exist: the message window gives the cause and the
// remedy as a second line, which must be read in full.  With DIR, a picture
// of it (message-remedy.bmp) goes there.
int scenarioRemedy(const std::wstring& exe, const std::string& outDir) {
    // A long name, so that the cause and remedy take four lines or more.
    TApp app(exe, L"port:COM9-TARVEK2-LOGGER-ON-THE-BENCH");
    if (!app.ok()) return gFailures;
    app.click(cIdUpdate);
    answerConfirm(app, cSaveQuestion, true);
    HWND msg = nullptr;
    const std::string text = awaitMessage(app, 30000, &msg);
    check(text.rfind("Aborted because serial port \"COM9-TARVEK2-LOGGER-ON-THE-BENCH\" is not "
                     "ready!\n",
                     0) == 0 &&
              text.find("Check that the logger's cable is plugged in") != std::string::npos,
          "message with the port's cause and remedy: " + quoted(text));
    if (!msg) return gFailures;
    sleepMs(300);
    HWND memo = GetDlgItem(msg, cIdMemo);
    RECT client{};
    GetClientRect(memo, &client);
    // Where the text box puts its lines (the font's height cannot be read
    // from another process): the last line's top plus one line's height.
    const auto lines = static_cast<int>(SendMessageW(memo, EM_GETLINECOUNT, 0, 0));
    const auto topOf = [memo](int line) {
        const LRESULT at = SendMessageW(memo, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        const LRESULT pos = SendMessageW(memo, EM_POSFROMCHAR, static_cast<WPARAM>(at), 0);
        return pos == -1 ? -1 : static_cast<int>(static_cast<short>(HIWORD(pos)));
    };
    const int first = topOf(0);
    const int lineH = lines > 1 ? topOf(1) - first : 0;
    const int lastTop = topOf(lines - 1);
    check(lines >= 4 && SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0) == 0 && first >= 0 &&
              lineH > 0 && lastTop > 0 && lastTop + lineH <= client.bottom,
          "the whole text is in view: " + std::to_string(lines) + " lines, the last at " +
              std::to_string(lastTop) + " + " + std::to_string(lineH) + " of " +
              std::to_string(client.bottom) + " px");
    const LONG style = GetWindowLongW(msg, GWL_STYLE);
    check(!(style & WS_THICKFRAME) && !(style & WS_SYSMENU) && !(style & WS_VSCROLL) &&
              !(GetWindowLongW(memo, GWL_STYLE) & WS_VSCROLL),
          "fixed border, no caption buttons, no scroll bars");
    const RECT m = rectOf(app.main);
    const RECT w = rectOf(msg);
    const int inset = MulDiv(10, GetDeviceCaps(GetDC(nullptr), LOGPIXELSY), 96);
    check(w.left == m.left + inset && w.right == m.right - inset && w.bottom == m.bottom - inset,
          "placed over the main window's lower part, its bottom edge 10 above the main window's");
    if (!outDir.empty()) shoot(windowsPath(outDir), "message-remedy.bmp", unite(m, w));
    pressOk(app, msg);
    closeIdle(app);
    return gFailures;
}

void setSerialPort(const wchar_t* device, const wchar_t* port) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (port)
        RegSetValueExW(key, device, 0, REG_SZ, reinterpret_cast<const BYTE*>(port),
                       static_cast<DWORD>((wcslen(port) + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(key, device);
    RegCloseKey(key);
}

std::vector<std::string> portItems(HWND box) {
    std::vector<std::string> items;
    const int n = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t text[256] = {};
        if (SendMessageW(box, CB_GETLBTEXTLEN, i, 0) < 255)
            SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(narrow(text));
    }
    return items;
}

BOOL CALLBACK sendDeviceArrival(HWND h, LPARAM header) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(h, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, header, SMTO_ABORTIFHUNG, 5000,
                        &result);
    return TRUE;
}

// A device arrival as the system broadcasts it: to every top-level window of
// the program, hidden ones included (its port watcher listens with one).
void deviceArrival(HWND main, DWORD deviceType) {
    DEV_BROADCAST_HDR header{};
    header.dbch_size = sizeof header;
    header.dbch_devicetype = deviceType;
    EnumThreadWindows(GetWindowThreadProcessId(main, nullptr), sendDeviceArrival,
                      reinterpret_cast<LPARAM>(&header));
}

int scenarioPorts(const std::wstring& exe) {
    setSerialPort(L"\\Device\\VCP0", L"COM5");
    setSerialPort(L"\\Device\\Serial0", L"COM1");
    setSerialPort(L"\\Device\\VCP1", nullptr);
    setSerialPort(L"\\Device\\VCP2", nullptr);
    TApp app(exe, L"");
    if (!app.ok()) return gFailures;
    HWND box = app.ctl(cIdPort);
    check(portItems(box) == std::vector<std::string>{"COM5"},
          "port box: the virtual COM port alone (COM1 of \\Device\\Serial0 left out)");
    check(app.port() == "COM5", "its first entry selected: " + quoted(app.port()));

    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"COM9"));
    SetForegroundWindow(app.main);
    // The serial device map is also read once a second, so the volume comes
    // while the map stays as it is: a refill would drop the list down.
    deviceArrival(app.main, 2 /* DBT_DEVTYP_VOLUME */);
    check(portItems(box).size() == 1 && SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0) == 0,
          "a volume's arrival leaves the box alone");
    setSerialPort(L"\\Device\\VCP1", L"COM7");
    deviceArrival(app.main, 3 /* DBT_DEVTYP_PORT */);
    check(portItems(box) == std::vector<std::string>{"COM5", "COM7"},
          "a port's arrival refills the list, in the registry's order");
    check(app.port() == "COM9", "the typed port stays in the box: " + quoted(app.port()));
    check(SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0) != 0,
          "the list drops down to show the new port (window active, box enabled)");
    SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    // A driver that announces nothing: the rescan finds its port.
    setSerialPort(L"\\Device\\VCP2", L"COM8");
    check(waitUntil([&] { return portItems(box).size() == 3; }, 5000) &&
              portItems(box) == std::vector<std::string>{"COM5", "COM7", "COM8"},
          "a port that comes without a broadcast is found by the rescan");
    SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
    setSerialPort(L"\\Device\\VCP2", nullptr);
    setSerialPort(L"\\Device\\VCP1", nullptr);
    setSerialPort(L"\\Device\\Serial0", nullptr);
    closeIdle(app);
    return gFailures;
}

RECT unite(const RECT& a, const RECT& b) {
    RECT u{};
    UnionRect(&u, &a, &b);
    return u;
}

void shoot(const std::wstring& dir, const char* name, const RECT& r) {
    sleepMs(800); // painted
    check(captureScreen(r, dir + L"\\" + wide(name)), std::string("picture ") + name);
}

void setInternMode(bool on) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quorvane\\Vorn", 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const DWORD code = 7361;
    if (on)
        RegSetValueExW(key, L"intern", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&code),
                       sizeof code);
    else
        RegDeleteValueW(key, L"intern");
    RegCloseKey(key);
}

int scenarioScreenshots(const std::wstring& exe, const std::string& outDir) {
    const std::wstring dir = windowsPath(outDir);
    setInternMode(false);
    {
        TApp app(exe, L"port:COM5");
        if (!app.ok()) return gFailures;
        shoot(dir, "main-window.bmp", rectOf(app.main));
        closeIdle(app);
    }
    // Internal mode with "File", during an update, then its end and the
    // overview.
    setInternMode(true);
    TApp app(exe, L"port:COM5 f:+");
    setInternMode(false);
    if (!app.ok()) return gFailures;
    HWND report = nullptr;
    waitUntil(
        [&] {
            report = app.reportWindow();
            return report && IsWindowVisible(report);
        },
        10000);
    app.click(cIdUpdate);
    check(waitUntil([&] { return app.progress() >= 28; }, 300000, 50), "the update is under way");
    shoot(dir, "report-window.bmp", unite(rectOf(app.main), rectOf(report)));
    HWND msg = nullptr;
    const std::string text = awaitMessage(app, 600000, &msg);
    shoot(dir, "message-window.bmp", unite(rectOf(app.main), rectOf(report)));
    pressOk(app, msg);
    app.menu(cIdMenuFirmware);
    HWND ov = nullptr;
    waitUntil([&] { return (ov = app.overview()); }, 10000);
    if (ov) {
        shoot(dir, "overview.bmp", unite(unite(rectOf(app.main), rectOf(report)), rectOf(ov)));
        PostMessageW(GetDlgItem(ov, IDOK), BM_CLICK, 0, 0);
    }
    check(ov != nullptr, "the overview appears");
    sleepMs(500);
    closeIdle(app);
    return gFailures;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ui_driver update|cancel|restart|intern|closebusy PROGRAM "
                             "[IMAGE]\n");
        return 100;
    }
    const std::string scenario = narrow(argv[1]);
    const std::wstring exe = argv[2];
    if (scenario == "update") return scenarioUpdate(exe);
    if (scenario == "cancel") return scenarioCancel(exe);
    if (scenario == "restart") return scenarioRestart(exe);
    if (scenario == "closebusy") return scenarioCloseBusy(exe, argc >= 4 ? argv[3] : L"COM5");
    if (scenario == "shutdown") return scenarioShutdown(exe);
    if (scenario == "minimise") return scenarioMinimise(exe);
    if (scenario == "remedy") return scenarioRemedy(exe, argc >= 4 ? narrow(argv[3]) : "");
    if (scenario == "ports") return scenarioPorts(exe);
    if (scenario == "intern" && argc >= 4) return scenarioIntern(exe, narrow(argv[3]));
    if (scenario == "screenshots" && argc >= 4) return scenarioScreenshots(exe, narrow(argv[3]));
    std::fprintf(stderr, "unknown scenario %s\n", scenario.c_str());
    return 100;
}
