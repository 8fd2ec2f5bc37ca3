// The main window as the controller's front end: the state rendered into the
// controls, and the texts into the report, the status bar and the message
// window.
#include "ui/uMain.h"

#include "controller/uTimeLeft.h"
#include "desktop/uMainWindowDesign.h"
#include "ui/uMessage.h"
#include "ui/uProtocol.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

QString qs(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void TfrmMain::render(const TControllerState& s) {
    const TMainView v = mainView(s);
    btnProg->setEnabled(v.updateEnabled);
    btnClose->setVisible(v.closeShown);
    btnCancel->setVisible(v.cancelShown);
    btnCancel->setEnabled(v.cancelEnabled);
    cbxPort->setEnabled(v.portEnabled);
    // The image selection must not change under a running session.
    btnFile->setEnabled(v.fileEnabled);
    menInfoFile->setEnabled(v.fileEnabled);
    setBusyCursor(v.busyCursor);
    setWindowTitle(qs(s.title));
    const QString status = qs(s.status);
    StatusBar1->setText(status);
    StatusBar1->setToolTip(status);
    statusBar()->setToolTip(status);
    renderProgress(s);
}

void TfrmMain::renderProgress(const TControllerState& s) {
    ProgressBar1->setValue(s.progress);
    // (The controller renders once while it is made, before FController is set.)
    const std::int64_t left = FController ? s.remainingAt(FController->nowMs()) : s.remainingMs;
    ProgressBar1->setFormat(qs(progressCaption(s.progress, left)));
}

void TfrmMain::addReport(const TReportLine& line) {
    if (frmProtocol) frmProtocol->Add(qs(line.text), line.time);
}

void TfrmMain::clearReport() {
    if (frmProtocol) frmProtocol->Clear();
}

void TfrmMain::showInfo(const std::string& text) {
    if (!frmMessage) return;
    const QRect outer = frameGeometry();
    frmMessage->showMsg(qs(text), outer.left(), outer.top(), outer.width(), outer.height());
}

bool TfrmMain::confirm(const std::string& question) {
    return confirmSeam(qs(question));
}

void TfrmMain::beep() {
    if (beepSeam) beepSeam();
}
