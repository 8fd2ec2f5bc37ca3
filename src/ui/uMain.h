// The main window: the operator picks a serial port, starts an update with
// "Update" (or from an image file with "File"), cancels it, and looks at the
// built-in firmware.  It is a view of the update controller: clicks become
// controller calls, and the controller's state and texts are rendered into
// the controls, the status bar, the report window and the message window.
#pragma once

#include "controller/uUpdateController.h"
#include "serial/uPortWatcher.h"
#include "ui/uNotifyEvent.h"
#include "ui/uPortBox.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

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

// What the window is created with.  Empty members take the real thing.
struct TMainSetup {
    QStringList args;                   // program arguments, the program first
    TPortListSource portSource;         // getPortList
    bool watchPorts = true;             // follow ports arriving and going
    TPortEventsFactory portEvents;      // the platform's hot-plug events
    TCommThreadFactory commThreadClass; // CommThreadClass
    TPortOpener opener;                 // the serial port
    IClock* clock = nullptr;            // the system clock
};

class TfrmMain final : public QMainWindow, public IUpdateFrontEnd {
    Q_OBJECT
  public:
    explicit TfrmMain(TMainSetup setup);
    ~TfrmMain() override;

    // The companion windows, created by initForms after this window.
    void attachForms(TfrmInfo* info, TfrmProtocol* protocol, TfrmMessage* message);

    TUpdateController& controller() { return *FController; }
    TFWCatalog& catalog() { return FController->catalog(); }
    bool isBusy() const { return FController->state().busy; }
    bool restartPending() const { return FController->restartPending(); }
    void endSession() { FController->endSession(); }
    QString statusText() const;
    // The application's title, the text of its task-bar entry.
    QString appTitle() const { return windowTitle(); }
    TfrmProtocol* protocolWindow() const { return frmProtocol; }
    TfrmMessage* messageWindow() const { return frmMessage; }
    TfrmInfo* infoWindow() const { return frmInfo; }

    // Seams: the confirmation question, the beep and the file-open dialog.
    std::function<bool(const QString&)> confirmSeam;
    std::function<void()> beepSeam;
    std::function<QString()> chooseFile;

    // The controller's front end.
    void render(const TControllerState& state) override;
    void renderProgress(const TControllerState& state);
    void addReport(const TReportLine& line) override;
    void clearReport() override;
    void showInfo(const std::string& text) override;
    bool confirm(const std::string& question) override;
    void beep() override;
    void startTimer(int ms) override { FRestartTimer.start(ms); }
    void stopTimer() override { FRestartTimer.stop(); }
    INotifySink& notifySink() override { return FSink; }
    void closeNow() override { close(); }

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    void FormCreate();
    void createControls();
    void createMenu();
    void dockReport();
    void fitReport();
    void setBusyCursor(bool busy);
    void setUpPortWatch();
    void lookAtPorts();
    std::string portText() const;

    void btnProgClick();
    void btnFileClick();
    void menInfoFirmwareClick();
    void menInfoFileClick();
    void ApplicationEvents1Idle();
    void enterPressed();

    TMainSetup FSetup;
    // The sink and the timer outlive the controller, which joins its thread.
    TWindowNotifySink FSink{this};
    QTimer FRestartTimer;
    // Redraws the progress caption once a second, so that the time left
    // counts down also where no progress step comes (the final waits).
    QTimer FCountdown;
    std::unique_ptr<TUpdateController> FController;
    bool FCursorSet = false;
    bool FIdleDone = false;

    std::unique_ptr<TPortBoxRefresher> FPortBox;
    std::unique_ptr<TPortWatcher> FPortWatcher;
    QSocketNotifier* FPortNotifier = nullptr;
    QTimer FPortRescan;

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
