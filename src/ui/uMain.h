// The main window: the operator picks a serial port, starts an update with
// "Update" (or from an image file with "File"), cancels it, and looks at the
// built-in firmware.  It owns the update session: it starts one session
// thread at a time and renders what the thread posts back into the progress
// bar, the status bar, the report window and the message window.
#pragma once

#include "images/uFWCatalog.h"
#include "serial/uPortWatcher.h"
#include "session/uCommThread.h"
#include "ui/uNotifyEvent.h"
#include "ui/uPortBox.h"

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSocketNotifier;
class TfrmInfo;
class TfrmMessage;
class TfrmProtocol;

// How sessions are created; CommThreadClass in the program.
using TCommThreadFactory = std::function<std::unique_ptr<TCommThread>(TSessionContext)>;

// What the window is created with.  Empty members take the real thing.
struct TMainSetup {
    QStringList args;                   // program arguments, the program first
    TPortListSource portSource;         // getPortList
    bool watchPorts = true;             // follow ports arriving and going
    TCommThreadFactory commThreadClass; // CommThreadClass
    TPortOpener opener;                 // the serial port
    IClock* clock = nullptr;            // the system clock
};

inline constexpr const char* cAppTitle = "Tarvek2 Firmware Update";
inline constexpr const char* cMenuInfoCaption = "Info v2021-12-01";
inline constexpr const char* cAskClearWarning =
    "This update clears all measurements!\r\nDo you really continue ?";
inline constexpr const char* cAskSaveMeasurements =
    "Do you save your measurements ?\r\nDo you really continue without saving ?";
inline constexpr const char* cAskCloseBusy =
    "The update is not finished!\r\nDo you really close the program ?";

class TfrmMain final : public QMainWindow {
    Q_OBJECT
  public:
    explicit TfrmMain(TMainSetup setup);
    ~TfrmMain() override;

    // The companion windows, created by initForms after this window.
    void attachForms(TfrmInfo* info, TfrmProtocol* protocol, TfrmMessage* message);

    void startSession(TCmd cmd);
    void endSession();
    // Clears the report, sets the image selection, loads a chosen image
    // file, takes the port name.  False when the file cannot be read: the
    // operator has been told and no session may start.
    bool prepareSession(const QString& fileName);
    void addReport(const QString& text);
    // The application's title, the text of its task-bar entry: the progress
    // while busy, the program's name when idle.  The main window carries it.
    void setAppTitle(const QString& text);
    QString appTitle() const { return windowTitle(); }
    void setStatus(const QString& text);
    void showInfo(const QString& text);
    static bool isInternMode();
    // The handler of the session notifications.
    void WMSessionNotify(const TNotification& n);

    // State, for the program's own checks and for tests.
    bool isBusy() const { return FBusy; }
    int fileMode() const { return iFileMode; }
    bool clearWarning() const { return bClearWarning; }
    const TSessionSettings& settings() const { return FSettings; }
    TFWCatalog& catalog() { return FCatalog; }
    QString statusText() const;
    const QString& port() const { return FPort; }
    bool restartPending() const { return FRestartTimer.isActive(); }
    TfrmProtocol* protocolWindow() const { return frmProtocol; }
    TfrmMessage* messageWindow() const { return frmMessage; }
    TfrmInfo* infoWindow() const { return frmInfo; }

    // Seams: the confirmation question, the beep and the file-open dialog.
    std::function<bool(const QString&)> confirm;
    std::function<void()> beep;
    std::function<QString()> chooseFile;

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    void FormCreate();
    void createControls();
    void createMenu();
    void startSessionWith(TCmd cmd, bool cancel);
    void finishThread();
    void restartAfterWait();
    void dockReport();
    void setBusyCursor(bool busy);
    void setProgress(int percent);
    void reportFileProblem(const QString& fileName, const std::string& error);
    void setUpPortWatch();

    void btnProgClick();
    void btnFileClick();
    void btnCancelClick();
    void btnCloseClick();
    void menInfoFirmwareClick();
    void menInfoFileClick();
    void menFileExitClick();
    void ApplicationEvents1Idle();
    void enterPressed();

    TMainSetup FSetup;
    TFWCatalog FCatalog;
    TSessionSettings FSettings;
    bool bClearWarning = false;
    int iFileMode = 0;
    std::atomic<bool> bCancel{false};

    QString FPort;
    std::unique_ptr<TCommThread> FCommThread;
    TWindowNotifySink FSink{this};
    bool FBusy = false;
    bool FClosing = false;
    bool FCursorSet = false;
    bool FIdleDone = false;
    TCmd FRestartCmd = TCmd::tCMD0;
    QTimer FRestartTimer;
    QElapsedTimer FProgressClock;
    int FProgressFrom = -1;

    TPortWatcher FWatcher;
    // Windows: WM_DEVICECHANGE of the window thread; removes itself when freed.
    std::unique_ptr<QAbstractNativeEventFilter> FDeviceChangeFilter;
    QSocketNotifier* FPortNotifier = nullptr;
    std::unique_ptr<TPortBoxRefresher> FPortBox;

    QWidget* panel = nullptr;
    QLabel* Label1 = nullptr;
    TPortComboBox* cbxPort = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* btnProg = nullptr;
    QPushButton* btnFile = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnCancel = nullptr;
    QCheckBox* chkReadInfoOnly = nullptr;
    QLabel* StatusBar1 = nullptr;
    QMenu* menInfo = nullptr;
    QAction* menInfoFirmware = nullptr;
    QAction* menInfoFile = nullptr;
    QAction* menFileExit = nullptr;

    TfrmInfo* frmInfo = nullptr;
    TfrmProtocol* frmProtocol = nullptr;
    TfrmMessage* frmMessage = nullptr;
};
