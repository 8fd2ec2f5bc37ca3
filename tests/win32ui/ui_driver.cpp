// ui_driver.exe: drives tarvek2-update.exe from outside, as an operator
// would, and checks what the windows show.  One scenario a run:
//
//   ui_driver update    PROGRAM   full update on COM5, "No" then "Yes" to the question
//   ui_driver cancel    PROGRAM   "Cancel" during the update on COM5
//   ui_driver restart   PROGRAM   silent logger on COM6: restarts, then "Cancel"
//   ui_driver intern    PROGRAM FILE   internal mode with "f:+": report window, "Read
//                                  info only", "File", "File version", overview
//   ui_driver closebusy PROGRAM   closing while busy: "No" keeps it, "Yes" ends it
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
        waitUntil([&] { return (main = findTopWindow(FPi.dwProcessId, cMainClass, nullptr)); },
                  30000);
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

int scenarioIntern(const std::wstring& exe, const std::string& file) {
    TApp app(exe, L"port:COM5 f:+");
    if (!app.ok()) return gFailures;
    HWND report = nullptr;
    waitUntil(
        [&] {
            report = app.reportWindow();
            return report && IsWindowVisible(report);
        },
        10000);
    check(report && IsWindowVisible(report), "internal mode: the report window shows");
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

    // "File": the file's image (version 2.09) is checked first.
    app.click(cIdFile);
    pickFile(app, windowsPath(file));
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
    pickFile(app, windowsPath(file));
    std::vector<std::vector<std::string>> withFile = builtIn;
    withFile.insert(withFile.begin(), {"Tarvek2", "2.09", "F5438 WD2", "A10e WLAN UART",
                                       "01.12.2021 09:05:00", "3.0"});
    checkOverview(app, withFile, "\"File version\"");
    closeIdle(app);
    return gFailures;
}

int scenarioCloseBusy(const std::wstring& exe) {
    TApp app(exe, L"port:COM5");
    if (!app.ok()) return gFailures;
    app.click(cIdUpdate);
    answerConfirm(app, cSaveQuestion, true);
    check(waitUntil([&] { return app.progress() >= 1; }, 120000), "the update is under way");
    PostMessageW(app.main, WM_CLOSE, 0, 0);
    answerConfirm(app, cCloseQuestion, false);
    const int p = app.progress();
    check(waitUntil([&] { return app.progress() > p; }, 60000) && IsWindow(app.main),
          "\"No\": the window and the update go on");
    app.checkBusy("after \"No\"");
    PostMessageW(app.main, WM_CLOSE, 0, 0);
    answerConfirm(app, cCloseQuestion, true);
    const long code = app.exitedWithin(20000);
    check(code == 0, "\"Yes\": the program ends (exit " + std::to_string(code) + ")");
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
    if (scenario == "closebusy") return scenarioCloseBusy(exe);
    if (scenario == "ports") return scenarioPorts(exe);
    if (scenario == "intern" && argc >= 4) return scenarioIntern(exe, narrow(argv[3]));
    if (scenario == "screenshots" && argc >= 4) return scenarioScreenshots(exe, narrow(argv[3]));
    std::fprintf(stderr, "unknown scenario %s\n", scenario.c_str());
    return 100;
}
