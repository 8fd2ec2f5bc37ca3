#include "ui/uMain.h"

#include "desktop/uDesktopTexts.h"
#include "desktop/uMainWindowDesign.h"
#include "desktop/uOverviewDesign.h"
#include "desktop/uReportDesign.h"
#include "serial/uPortList.h"
#include "ui/uAbout.h"
#include "ui/uConfirm.h"
#include "ui/uDesign.h"
#include "ui/uFrame.h"
#include "ui/uInfo.h"
#include "ui/uMessage.h"
#include "ui/uProtocol.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
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

#include <chrono>

namespace {} // namespace

TfrmMain::TfrmMain(TMainSetup setup) : FSetup(std::move(setup)) {
    setObjectName(QStringLiteral("frmMain"));
    if (FSetup.args.isEmpty()) FSetup.args = QCoreApplication::arguments();
    if (!FSetup.portSource)
        FSetup.portSource = [](std::vector<std::string>& sl) { getPortList(sl); };
    confirmSeam = [this](const QString& text) { return askConfirm(this, text); };
    beepSeam = [] { QApplication::beep(); };
    chooseFile = [this] {
        return QFileDialog::getOpenFileName(this, QString(),
                                            QCoreApplication::applicationFilePath());
    };

    // The options and the internal mode are read once, here.
    TControllerSetup controllerSetup;
    std::vector<std::string> args;
    for (const QString& a : FSetup.args)
        args.push_back(a.toLocal8Bit().toStdString());
    controllerSetup.options = readProgramOptions(args, readInternMode());
    controllerSetup.commThreadClass = FSetup.commThreadClass;
    controllerSetup.opener = FSetup.opener;
    controllerSetup.clock = FSetup.clock;
    FController = std::make_unique<TUpdateController>(*this, std::move(controllerSetup));

    FRestartTimer.setSingleShot(true);
    connect(&FRestartTimer, &QTimer::timeout, this, [this] { FController->timerElapsed(); });
    connect(&FCountdown, &QTimer::timeout, this, [this] { renderProgress(FController->state()); });
    FCountdown.start(1000);

    createControls();
    createMenu();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // No session outlives its window: it ends at its next exchange or wait.
    FController.reset();
    setBusyCursor(false);
}

void TfrmMain::createControls() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    const TMainWindowDesign& d = cMainWindowDesign;
    panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setFixedSize(du(d.panel.width), du(d.panel.height));
    setCentralWidget(panel);

    // A thin line under the menu.
    auto* line = new QFrame(panel);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(0, 0, du(d.panel.width), 2);

    cbxPort = new TPortComboBox(panel);
    cbxPort->setObjectName(QStringLiteral("cbxPort"));
    cbxPort->setGeometry(du(d.portBox.left), du(d.portBox.top), du(d.portBox.width),
                         cbxPort->sizeHint().height());

    Label1 = new QLabel(qText(cTextPortLabel), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->adjustSize();
    // Aligned with the text in the port box.
    Label1->move(du(d.portLabel.x), cbxPort->y() + (cbxPort->height() - Label1->height()) / 2);
    Label1->setBuddy(cbxPort);
    cbxPort->setAccessibleName(Label1->text()); // the port name is its value

    ProgressBar1 = new QProgressBar(panel);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(QStringLiteral("Progress"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setGeometry(duRect(d.progress));

    const TMainButtons buttons = mainButtons(false);
    btnProg = new QPushButton(qText(cTextUpdate), panel);
    btnProg->setObjectName(QStringLiteral("btnProg"));
    btnProg->setGeometry(duRect(buttons.update));
    btnProg->setDefault(true);

    btnFile = new QPushButton(qText(cTextFile), panel);
    btnFile->setObjectName(QStringLiteral("btnFile"));
    btnFile->setGeometry(duRect(d.file));

    btnClose = new QPushButton(qText(cTextClose), panel);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(duRect(buttons.close));

    btnCancel = new QPushButton(qText(cTextCancel), panel);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(duRect(buttons.cancel));
    btnCancel->hide();

    chkReadInfoOnly = new QCheckBox(qText(cTextReadInfoOnly), panel);
    chkReadInfoOnly->setObjectName(QStringLiteral("chkReadInfoOnly"));
    chkReadInfoOnly->adjustSize();
    chkReadInfoOnly->move(du(d.readInfoOnly.x), du(d.readInfoOnly.y));

    StatusBar1 = new QLabel(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setTextFormat(Qt::PlainText);
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(StatusBar1, 1);

    connect(btnProg, &QPushButton::clicked, this, &TfrmMain::btnProgClick);
    connect(btnFile, &QPushButton::clicked, this, &TfrmMain::btnFileClick);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(btnCancel, &QPushButton::clicked, this, [this] { FController->cancelClicked(); });

    // Enter presses "Update" (or the button that holds the focus).
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, &TfrmMain::enterPressed);
    }
}

void TfrmMain::createMenu() {
    menInfo = menuBar()->addMenu(QStringLiteral("Info"));
    menInfo->setObjectName(QStringLiteral("menInfo"));
    menInfoFirmware = menInfo->addAction(qText(cTextMenuFirmware));
    menInfoFirmware->setObjectName(QStringLiteral("menInfoFirmware"));
    menInfoFile = menInfo->addAction(qText(cTextMenuFileVersion));
    menInfoFile->setObjectName(QStringLiteral("menInfoFile"));
    menInfo->addSeparator();
    menFileExit = menInfo->addAction(qText(cTextMenuExit));
    menFileExit->setObjectName(QStringLiteral("menFileExit"));
    insertAboutEntry(menInfo, menFileExit, this);
    connect(menInfoFirmware, &QAction::triggered, this, &TfrmMain::menInfoFirmwareClick);
    connect(menInfoFile, &QAction::triggered, this, &TfrmMain::menInfoFileClick);
    connect(menFileExit, &QAction::triggered, this, &QWidget::close);
}

void TfrmMain::FormCreate() {
    setWindowTitle(QString::fromLatin1(cAppTitle));
    menInfo->setTitle(QString::fromLatin1(cMenuInfoCaption));

    const TControllerState& s = FController->state();
    chkReadInfoOnly->setChecked(false);
    chkReadInfoOnly->setVisible(s.readInfoOnlyShown);
    menInfoFile->setVisible(s.fileShown);
    btnFile->setVisible(s.fileShown);
    const TMainButtons buttons = mainButtons(s.fileShown);
    btnProg->setGeometry(duRect(buttons.update));
    if (s.fileShown) btnFile->setGeometry(duRect(buttons.file));

    // Nothing shows below the panel and the status bar.
    setFixedSize(sizeHint());

    setUpPortWatch();
    FPortBox->fillAtStart(FController->options().port);
    render(s);

    // Centred on the screen.
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TfrmMain::setUpPortWatch() {
    FPortBox = std::make_unique<TPortBoxRefresher>(*cbxPort, FSetup.portSource, [] {
        return QGuiApplication::applicationState() == Qt::ApplicationActive;
    });
    if (!FSetup.watchPorts) return;
    // The list is also looked at again whenever it is opened: a system may
    // offer hot-plug events and still never deliver one (no udev daemon).
    cbxPort->beforePopup = [this] { FPortBox->refill(); };
    FPortWatcher = std::make_unique<TPortWatcher>(
        FSetup.portSource, FSetup.portEvents ? FSetup.portEvents() : nullptr);
    // The wake runs on this thread, from its event loop.
    FPortWatcher->start([this] { lookAtPorts(); });
    if (FPortWatcher->fd() >= 0) {
        FPortNotifier = new QSocketNotifier(FPortWatcher->fd(), QSocketNotifier::Read, this);
        connect(FPortNotifier, &QSocketNotifier::activated, this, &TfrmMain::lookAtPorts);
    }
    if (FPortWatcher->rescanEveryMs() > 0) {
        connect(&FPortRescan, &QTimer::timeout, this, &TfrmMain::lookAtPorts);
        FPortRescan.start(FPortWatcher->rescanEveryMs());
    }
}

void TfrmMain::lookAtPorts() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    if (FPortWatcher->changed(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()))
        FPortBox->portChanged();
}

void TfrmMain::attachForms(TfrmInfo* info, TfrmProtocol* protocol, TfrmMessage* message) {
    frmInfo = info;
    frmProtocol = protocol;
    frmMessage = message;
}

std::string TfrmMain::portText() const {
    return cbxPort->currentText().toLocal8Bit().toStdString();
}

QString TfrmMain::statusText() const {
    return StatusBar1->text();
}

void TfrmMain::setBusyCursor(bool busy) {
    if (busy == FCursorSet) return;
    FCursorSet = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// --- Events ---------------------------------------------------------------

bool TfrmMain::event(QEvent* e) {
    acquireNotifyEvents();
    if (e->type() == TNotifyEvent::eventType()) {
        FController->notify(static_cast<TNotifyEvent*>(e)->notification);
        return true;
    }
    return QMainWindow::event(e);
}

void TfrmMain::closeEvent(QCloseEvent* e) {
    // While busy the controller asks; after "Yes" the session is cancelled
    // and closeNow() comes back once it has ended.  Nothing waits here.
    if (FController->closeRequested() != TCloseAnswer::closeNow) {
        e->ignore();
        return;
    }
    QCoreApplication::removePostedEvents(this, TNotifyEvent::eventType());
    // The program's window is gone: the busy cursor of its ending goes too.
    setBusyCursor(false);
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
    const TRect outer = tRect(frameGeometry());
    if (reportNeedsDock(tRect(frmProtocol->frameGeometry()), outer, isMinimized())) {
        const TPoint place = reportDockPlace(outer);
        frmProtocol->move(place.x, place.y);
    }
}

void TfrmMain::fitReport() {
    if (isMinimized()) return;
    const int frameW = frameExtraOf(*frmProtocol).width();
    frmProtocol->resize(reportWidth(tRect(frameGeometry())) - frameW, frmProtocol->height());
    dockReport();
}

void TfrmMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!FIdleDone) QTimer::singleShot(0, this, &TfrmMain::ApplicationEvents1Idle);
}

void TfrmMain::ApplicationEvents1Idle() {
    if (FIdleDone) return;
    FIdleDone = true;
    if (frmProtocol && reportToShow(FController->state().reportShown, FIdleDone, isMinimized())) {
        fitReport();
        frmProtocol->show();
        // A window that was never shown has no frame yet, and the window
        // manager may place it by its client area; once it has its frame the
        // report is docked again.
        for (const int ms : {50, 250, 1000})
            QTimer::singleShot(ms, this, [this] { fitReport(); });
    }
}

// --- Controls -------------------------------------------------------------

void TfrmMain::enterPressed() {
    auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
    if (focused && focused != btnProg && focused->window() == this) {
        if (focused->isEnabled() && focused->isVisible()) focused->click();
        return;
    }
    if (!isBusy() && btnProg->isEnabled()) btnProg->click();
}

void TfrmMain::btnProgClick() {
    FController->updateClicked(portText(), chkReadInfoOnly->isChecked());
}

void TfrmMain::btnFileClick() {
    if (isBusy()) return;
    const QString fileName = chooseFile();
    if (fileName.isEmpty()) return;
    FController->fileClicked(QFile::encodeName(fileName).toStdString(), portText(),
                             chkReadInfoOnly->isChecked());
}

void TfrmMain::menInfoFirmwareClick() {
    if (!frmInfo) return;
    const TRect args = overviewExecuteArgs(tRect(frameGeometry()));
    frmInfo->Execute(args.left, args.top, args.width, args.height);
}

void TfrmMain::menInfoFileClick() {
    if (isBusy()) return;
    const QString fileName = chooseFile();
    if (FController->fileVersionChosen(QFile::encodeName(fileName).toStdString()))
        menInfoFirmwareClick();
}
