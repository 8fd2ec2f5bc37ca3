// The main window of the Win32 program: the operator picks a serial port,
// starts an update with "Update" (or from an image file with "File"),
// cancels it, and looks at the built-in firmware.  It is a view of the update
// controller: every user action becomes a controller call, and the window
// renders what the controller hands back (state, report lines, messages,
// questions).  Session notifications arrive as posted WM_USER messages.
#pragma once

#include "controller/uUpdateController.h"
#include "serial/uPortWatcher.h"
#include "win32ui/uPostSink.h"
#include "win32ui/uWin.h"

#include <memory>
#include <string>

class TfrmInfo;
class TfrmMessage;
class TfrmProtocol;

class TfrmMain final : public IUpdateFrontEnd {
  public:
    explicit TfrmMain(TProgramOptions options);
    ~TfrmMain() override;
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    // Shows the window; the report window follows at the first idle moment
    // when the controller shows it.
    void show(int nCmdShow);
    HWND handle() const { return FhWnd; }
    // The panel that holds the controls: the program's message loop gives
    // it the dialog keys (Tab, Enter).
    HWND panel() const { return FhPanel; }

    // IUpdateFrontEnd
    void render(const TControllerState& state) override;
    void addReport(const TReportLine& line) override;
    void clearReport() override;
    void showInfo(const std::string& text) override;
    bool confirm(const std::string& question) override;
    void beep() override;
    void startTimer(int ms) override;
    void stopTimer() override;
    INotifySink& notifySink() override { return FSink; }
    void closeNow() override;

  private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK PanelProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT onMessage(UINT m, WPARAM w, LPARAM l);
    void createControls();
    void createMenu();
    void applyDpi(int dpi);
    void layout();
    void fitWindow();
    void centre();
    void command(int id);
    void showOverview();
    void setStatus(const std::string& text);
    void setProgress(int percent, std::int64_t remainingMs);
    void renderMenu();
    std::string portText() const;
    bool readInfoOnly() const;
    void idle();
    void showReport();
    void lookAtPorts();

    HWND FhWnd = nullptr;
    HWND FhPanel = nullptr;
    HWND FhLine = nullptr;
    HWND Label1 = nullptr;
    HWND cbxPort = nullptr;
    HWND ProgressBar1 = nullptr;
    HWND btnProg = nullptr;
    HWND btnFile = nullptr;
    HWND btnClose = nullptr;
    HWND btnCancel = nullptr;
    HWND chkReadInfoOnly = nullptr;
    HWND StatusBar1 = nullptr;
    HMENU FMenuBar = nullptr;
    HMENU menInfo = nullptr;
    HFONT FFont = nullptr;
    int FDpi = 96;

    TControllerState FState;
    bool FRendered = false;
    bool FMenuFileShown = true;
    bool FIdleDone = false;
    bool FClosing = false;
    bool FShutdownBlocked = false;
    bool FCloseAsked = false; // closing while busy was asked; "Yes" ends the program
    TPostMessageSink FSink;
    TProgramOptions FOptions;

    std::unique_ptr<TfrmProtocol> frmProtocol;
    std::unique_ptr<TfrmMessage> frmMessage;
    std::unique_ptr<TfrmInfo> frmInfo;
    // Last: destroyed first, so that a running session is cancelled and its
    // thread joined while everything it posts to still exists.
    std::unique_ptr<TUpdateController> FController;
    std::unique_ptr<TPortWatcher> FPortWatcher;
};
