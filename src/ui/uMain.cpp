#include "ui/uMain.h"

#include "images/uImageFile.h"
#include "serial/uPortList.h"
#include "session/uNotifyTexts.h"
#include "session/uTarvekCommThread.h"
#include "ui/uAbout.h"
#include "ui/uConfirm.h"
#include "ui/uDesign.h"
#include "ui/uFrame.h"
#include "ui/uInfo.h"
#include "ui/uInternMode.h"
#include "ui/uMessage.h"
#include "ui/uProtocol.h"
#include "ui/uRemainingTime.h"
#include "ui/uWinTools1V4.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSocketNotifier>
#include <QStatusBar>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace {

// Height of the upper panel that holds the controls, in design units.
constexpr int cPanelHeight = 201;
constexpr int cPanelWidth = 441;

#ifdef _WIN32
// WM_DEVICECHANGE reaches every top-level window; a port's arrival or removal
// refreshes the port box.
class TDeviceChangeFilter final : public QAbstractNativeEventFilter {
  public:
    explicit TDeviceChangeFilter(std::function<void()> onPortChange)
        : FOnPortChange(std::move(onPortChange)) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_DEVICECHANGE &&
            isPortChange(static_cast<unsigned long long>(msg->wParam),
                         reinterpret_cast<const void*>(msg->lParam)))
            FOnPortChange();
        return false;
    }

  private:
    std::function<void()> FOnPortChange;
};
#endif

} // namespace

TfrmMain::TfrmMain(TMainSetup setup) : FSetup(std::move(setup)) {
    setObjectName(QStringLiteral("frmMain"));
    if (FSetup.args.isEmpty()) FSetup.args = QCoreApplication::arguments();
    if (!FSetup.portSource)
        FSetup.portSource = [](std::vector<std::string>& sl) { getPortList(sl); };
    if (!FSetup.commThreadClass) FSetup.commThreadClass = CommThreadClass;
    confirm = [this](const QString& text) { return askConfirm(this, text); };
    beep = [] { QApplication::beep(); };
    chooseFile = [this] {
        return QFileDialog::getOpenFileName(this, QString(),
                                            QCoreApplication::applicationFilePath());
    };

    FRestartTimer.setSingleShot(true);
    connect(&FRestartTimer, &QTimer::timeout, this, &TfrmMain::restartAfterWait);

    createControls();
    createMenu();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // No session outlives its window: the thread ends at its next exchange.
    bCancel = true;
    FRestartTimer.stop();
    finishThread();
    setBusyCursor(false);
}

void TfrmMain::createControls() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setFixedSize(du(cPanelWidth), du(cPanelHeight));
    setCentralWidget(panel);

    // A thin line under the menu.
    auto* line = new QFrame(panel);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(0, 0, du(cPanelWidth), 2);

    cbxPort = new TPortComboBox(panel);
    cbxPort->setObjectName(QStringLiteral("cbxPort"));
    cbxPort->setGeometry(du(96), du(14), du(329), cbxPort->sizeHint().height());

    Label1 = new QLabel(QStringLiteral("Comport:"), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->adjustSize();
    // Aligned with the text in the port box.
    Label1->move(du(16), cbxPort->y() + (cbxPort->height() - Label1->height()) / 2);
    Label1->setBuddy(cbxPort);
    cbxPort->setAccessibleName(Label1->text()); // the port name is its value

    ProgressBar1 = new QProgressBar(panel);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(QStringLiteral("Progress"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setGeometry(du(16), du(57), du(409), du(33));

    btnProg = new QPushButton(QStringLiteral("Update"), panel);
    btnProg->setObjectName(QStringLiteral("btnProg"));
    btnProg->setGeometry(du(50), du(107), du(141), du(41));
    btnProg->setDefault(true);

    btnFile = new QPushButton(QStringLiteral("File"), panel);
    btnFile->setObjectName(QStringLiteral("btnFile"));
    btnFile->setGeometry(du(126), du(107), du(65), du(41));

    btnClose = new QPushButton(QStringLiteral("Close"), panel);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(du(250), du(107), du(139), du(41));

    btnCancel = new QPushButton(QStringLiteral("Cancel"), panel);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(btnClose->geometry());
    btnCancel->hide();

    chkReadInfoOnly = new QCheckBox(QStringLiteral("Read info only"), panel);
    chkReadInfoOnly->setObjectName(QStringLiteral("chkReadInfoOnly"));
    chkReadInfoOnly->adjustSize();
    chkReadInfoOnly->move(du(32), du(168));

    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setTextFormat(Qt::PlainText);
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(StatusBar1, 1);

    connect(btnProg, &QPushButton::clicked, this, &TfrmMain::btnProgClick);
    connect(btnFile, &QPushButton::clicked, this, &TfrmMain::btnFileClick);
    connect(btnClose, &QPushButton::clicked, this, &TfrmMain::btnCloseClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmMain::btnCancelClick);

    // Enter presses "Update" (or the button that holds the focus).
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, &TfrmMain::enterPressed);
    }
}

void TfrmMain::createMenu() {
    menInfo = menuBar()->addMenu(QStringLiteral("Info"));
    menInfo->setObjectName(QStringLiteral("menInfo"));
    menInfoFirmware = menInfo->addAction(QStringLiteral("Firmware"));
    menInfoFirmware->setObjectName(QStringLiteral("menInfoFirmware"));
    menInfoFile = menInfo->addAction(QStringLiteral("File version"));
    menInfoFile->setObjectName(QStringLiteral("menInfoFile"));
    menInfo->addSeparator();
    menFileExit = menInfo->addAction(QStringLiteral("Exit"));
    menFileExit->setObjectName(QStringLiteral("menFileExit"));
    insertAboutEntry(menInfo, menFileExit, this);
    connect(menInfoFirmware, &QAction::triggered, this, &TfrmMain::menInfoFirmwareClick);
    connect(menInfoFile, &QAction::triggered, this, &TfrmMain::menInfoFileClick);
    connect(menFileExit, &QAction::triggered, this, &TfrmMain::menFileExitClick);
}

void TfrmMain::FormCreate() {
    setWindowTitle(QString::fromLatin1(cAppTitle));
    menInfo->setTitle(QString::fromLatin1(cMenuInfoCaption));

    const bool intern = isInternMode();
    chkReadInfoOnly->setChecked(false);
    chkReadInfoOnly->setVisible(intern);

    const QStringList& args = FSetup.args;
    if (intern) {
        if (getOption(QStringLiteral("cc:"), QString(), args) == QLatin1String("-"))
            FSettings.bCheckClass = false;
        if (getOption(QStringLiteral("cf:"), QString(), args) == QLatin1String("-"))
            FSettings.bCheckFamily = false;
        if (getOption(QStringLiteral("ci:"), QString(), args) == QLatin1String("-"))
            FSettings.bCheckInfo = false;
    }
    if (getOption(QStringLiteral("mf:"), QString(), args) == QLatin1String("+"))
        bClearWarning = true;
    if (getOption(QStringLiteral("mf:"), QString(), args) == QLatin1String("-"))
        bClearWarning = false;
    if (intern) {
        iFileMode = 1;
        if (getOption(QStringLiteral("f:"), QStringLiteral("-"), args) == QLatin1String("+"))
            iFileMode = 2;
    }

    if (iFileMode > 1) {
        menInfoFile->setVisible(true);
        btnFile->setVisible(true);
        btnFile->resize(btnClose->width() / 2, btnFile->height());
        btnProg->resize(btnClose->width() / 2, btnProg->height());
        btnFile->move(btnProg->x() + btnProg->width() + du(8), btnFile->y());
    } else {
        menInfoFile->setVisible(false);
        btnFile->setVisible(false);
        btnProg->resize(btnClose->width(), btnProg->height());
    }

    // Nothing shows below the panel and the status bar.
    setFixedSize(sizeHint());

    setUpPortWatch();
    FPortBox->fillAtStart();
    const QString port = getOption(QStringLiteral("port:"), QString(), args);
    if (!port.isEmpty()) cbxPort->setEditText(port);

    setStatus(bClearWarning ? QStringLiteral("F") : QString());
    endSession();

    // Centred on the screen.
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TfrmMain::setUpPortWatch() {
    FPortBox = std::make_unique<TPortBoxRefresher>(*cbxPort, FSetup.portSource, [] {
        return QGuiApplication::applicationState() == Qt::ApplicationActive;
    });
    if (!FSetup.watchPorts) return;
    // The list is also looked at again whenever it is opened: a system may
    // offer hot-plug events and still never deliver one (no udev daemon).
    cbxPort->beforePopup = [this] { FPortBox->refill(); };
#ifdef _WIN32
    FDeviceChangeFilter =
        std::make_unique<TDeviceChangeFilter>([this] { FPortBox->portChanged(); });
    qApp->installNativeEventFilter(FDeviceChangeFilter.get());
#else
    if (FWatcher.start() && FWatcher.fd() >= 0) {
        FPortNotifier = new QSocketNotifier(FWatcher.fd(), QSocketNotifier::Read, this);
        connect(FPortNotifier, &QSocketNotifier::activated, this, [this] {
            if (FWatcher.isPortChange()) FPortBox->portChanged();
        });
    }
#endif
}

void TfrmMain::attachForms(TfrmInfo* info, TfrmProtocol* protocol, TfrmMessage* message) {
    frmInfo = info;
    frmProtocol = protocol;
    frmMessage = message;
}

bool TfrmMain::isInternMode() {
    return readInternMode();
}

// --- Operations -----------------------------------------------------------

void TfrmMain::addReport(const QString& text) {
    if (frmProtocol) frmProtocol->Add(text);
}

void TfrmMain::setAppTitle(const QString& text) {
    setWindowTitle(text);
}

void TfrmMain::setStatus(const QString& text) {
    StatusBar1->setText(text);
    StatusBar1->setToolTip(text);
    statusBar()->setToolTip(text);
}

QString TfrmMain::statusText() const {
    return StatusBar1->text();
}

void TfrmMain::showInfo(const QString& text) {
    if (!frmMessage) return;
    const QRect outer = frameGeometry();
    frmMessage->showMsg(text, outer.left(), outer.top(), outer.width(), outer.height());
}

bool TfrmMain::prepareSession(const QString& fileName) {
    if (frmProtocol) frmProtocol->Clear();
    FCatalog.iSelectedFW = -1;
    if (!fileName.isEmpty()) {
        FCatalog.FileLines.clear();
        TBl3FileHeader header{};
        std::vector<std::string> lines;
        const TImageLoad load =
            loadImageFile(QFile::encodeName(fileName).toStdString(), header, lines);
        if (load.result != TImageLoadResult::ok) {
            reportFileProblem(fileName, load.error);
            return false;
        }
        FCatalog.FileHeader = header;
        FCatalog.FileLines = std::move(lines);
        FCatalog.iSelectedFW = 0;
    }
    FPort = cbxPort->currentText();
    return true;
}

void TfrmMain::reportFileProblem(const QString& fileName, const std::string& error) {
    const QString text = QStringLiteral("Cannot read the image file \"%1\": %2")
                             .arg(fileName, QString::fromLocal8Bit(error.c_str()));
    addReport(text);
    setStatus(text);
    showInfo(text);
}

void TfrmMain::startSession(TCmd cmd) {
    startSessionWith(cmd, false);
}

void TfrmMain::startSessionWith(TCmd cmd, bool cancel) {
    finishThread();
    const QString text = QString::fromStdString(startText(cbxPort->currentText().toStdString()));
    addReport(text);
    setStatus(text);
    FSettings.bInfoOnly = chkReadInfoOnly->isChecked();
    setProgress(0);
    FProgressFrom = -1;
    btnProg->setEnabled(false);
    btnClose->hide();
    btnCancel->show();
    cbxPort->setEnabled(false);
    // The image selection must not change under a running session.
    btnFile->setEnabled(false);
    menInfoFile->setEnabled(false);
    setBusyCursor(true);
    FBusy = true;
    // A restart keeps a cancel given before it; it must be in place before
    // the new thread looks at it.
    bCancel = cancel;

    TSessionContext context;
    context.hWindow = &FSink;
    context.cmd = cmd;
    context.sPort = FPort.toStdString();
    context.catalog = &FCatalog;
    context.settings = FSettings;
    context.bCancel = &bCancel;
    context.clock = FSetup.clock;
    context.opener = FSetup.opener;
    FCommThread = FSetup.commThreadClass(std::move(context));
    if (FCommThread) FCommThread->Start();
}

void TfrmMain::endSession() {
    btnProg->setEnabled(true);
    btnClose->show();
    btnCancel->hide();
    cbxPort->setEnabled(true);
    btnFile->setEnabled(true);
    menInfoFile->setEnabled(true);
    setBusyCursor(false);
    finishThread();
    FBusy = false;
    ProgressBar1->setFormat(progressFormat(-1));
    setAppTitle(QString::fromLatin1(cAppTitle));
}

void TfrmMain::finishThread() {
    if (!FCommThread) return;
    FCommThread->Join();
    FCommThread.reset();
}

void TfrmMain::setBusyCursor(bool busy) {
    if (busy == FCursorSet) return;
    FCursorSet = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfrmMain::setProgress(int percent) {
    ProgressBar1->setValue(percent);
    if (!FBusy || percent <= 0 || percent >= 100) {
        ProgressBar1->setFormat(progressFormat(-1));
        return;
    }
    if (FProgressFrom < 0) {
        FProgressFrom = percent;
        FProgressClock.start();
    }
    ProgressBar1->setFormat(
        progressFormat(remainingMs(FProgressClock.elapsed(), FProgressFrom, percent)));
}

void TfrmMain::restartAfterWait() {
    // The cancel flag as it is now: a "Cancel" during the wait ends the new
    // session at its first frame.
    startSessionWith(FRestartCmd, bCancel.load());
}

// --- Events ---------------------------------------------------------------

bool TfrmMain::event(QEvent* e) {
    acquireNotifyEvents();
    if (e->type() == TNotifyEvent::eventType()) {
        WMSessionNotify(static_cast<TNotifyEvent*>(e)->notification);
        return true;
    }
    return QMainWindow::event(e);
}

void TfrmMain::closeEvent(QCloseEvent* e) {
    if (FBusy) {
        if (!confirm(QString::fromLatin1(cAskCloseBusy))) {
            e->ignore();
            return;
        }
        bCancel = true;
        FRestartTimer.stop();
        finishThread(); // the session ends at its next exchange or wait
        endSession();
    }
    FClosing = true;
    QCoreApplication::removePostedEvents(this, TNotifyEvent::eventType());
    for (QWidget* w : {static_cast<QWidget*>(frmProtocol), static_cast<QWidget*>(frmMessage),
                       static_cast<QWidget*>(frmInfo)})
        if (w) w->hide();
    e->accept();
}

void TfrmMain::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    dockReport();
}

void TfrmMain::dockReport() {
    if (!frmProtocol) return;
    const QRect outer = frameGeometry();
    const QPoint under(outer.left(), outer.top() + outer.height());
    if (frmProtocol->pos() != under) frmProtocol->move(under);
}

void TfrmMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!FIdleDone) QTimer::singleShot(0, this, &TfrmMain::ApplicationEvents1Idle);
}

void TfrmMain::ApplicationEvents1Idle() {
    if (FIdleDone) return;
    FIdleDone = true;
    if (iFileMode > 0 && frmProtocol) {
        const int frameW = frameExtraOf(*frmProtocol).width();
        frmProtocol->resize(frameGeometry().width() - frameW, frmProtocol->height());
        dockReport();
        frmProtocol->show();
        // A window that was never shown has no frame yet, and the window
        // manager may place it by its client area; once it has its frame the
        // report is docked again.
        for (const int ms : {50, 250, 1000})
            QTimer::singleShot(ms, this, [this] {
                const int frameW = frameExtraOf(*frmProtocol).width();
                frmProtocol->resize(frameGeometry().width() - frameW, frmProtocol->height());
                dockReport();
            });
    }
}

// --- Controls -------------------------------------------------------------

void TfrmMain::enterPressed() {
    auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
    if (focused && focused != btnProg && focused->window() == this) {
        if (focused->isEnabled() && focused->isVisible()) focused->click();
        return;
    }
    if (!FBusy && btnProg->isEnabled()) btnProg->click();
}

void TfrmMain::btnProgClick() {
    if (FBusy) return;
    if (bClearWarning) {
        if (!confirm(QString::fromLatin1(cAskClearWarning))) return;
    } else if (iFileMode < 1) {
        if (!confirm(QString::fromLatin1(cAskSaveMeasurements))) return;
    }
    if (!prepareSession(QString())) return;
    startSession(TCmd::tCMD0);
}

void TfrmMain::btnFileClick() {
    if (FBusy) return;
    const QString fileName = chooseFile();
    if (fileName.isEmpty()) return;
    if (!prepareSession(fileName)) return;
    startSession(TCmd::tCMD0);
}

void TfrmMain::btnCancelClick() {
    bCancel = true;
}

void TfrmMain::btnCloseClick() {
    close();
}

void TfrmMain::menFileExitClick() {
    close();
}

void TfrmMain::menInfoFirmwareClick() {
    if (!frmInfo) return;
    const QRect outer = frameGeometry();
    frmInfo->Execute(outer.left(), outer.top(), outer.width() * 3 / 2, outer.height());
}

void TfrmMain::menInfoFileClick() {
    if (FBusy) return;
    const QString fileName = chooseFile();
    if (fileName.isEmpty() || !QFileInfo::exists(fileName)) return;
    TBl3FileHeader header{};
    const TImageLoad load = loadImageHeader(QFile::encodeName(fileName).toStdString(), header);
    if (load.result != TImageLoadResult::ok) {
        reportFileProblem(fileName, load.error);
        return;
    }
    FCatalog.FileHeader = header;
    FCatalog.iSelectedFW = 0;
    menInfoFirmwareClick();
}
