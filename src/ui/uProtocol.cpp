#include "ui/uProtocol.h"

#include "desktop/uDesktopTexts.h"
#include "desktop/uReportDesign.h"
#include "session/uNotifyTexts.h"
#include "ui/uDesign.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

TfrmProtocol::TfrmProtocol(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowMinMaxButtonsHint) {
    setObjectName(QStringLiteral("frmProtocol"));
    setWindowTitle(qText(cTextReportCaption));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setAccessibleName(qText(cTextReportCaption));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    resize(cReportDesign.client.width, cReportDesign.client.height);

    // Under the main window, as wide as it.
    if (mainWindow) {
        const TRect outer = tRect(mainWindow->frameGeometry());
        const TPoint place = reportDockPlace(outer);
        move(place.x, place.y);
        resize(reportWidth(outer), height());
    }
    Clear();
}

void TfrmProtocol::Add(const QString& sLine, const std::tm& time) {
    Memo1->appendPlainText(QString::fromStdString(reportLine(time, sLine.toStdString())));
    Memo1->moveCursor(QTextCursor::End);
    Memo1->moveCursor(QTextCursor::StartOfLine);
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

void TfrmProtocol::Clear() {
    Memo1->clear();
}

QString TfrmProtocol::text() const {
    return Memo1->toPlainText();
}

QStringList TfrmProtocol::lines() const {
    const QString t = Memo1->toPlainText();
    return t.isEmpty() ? QStringList() : t.split(QLatin1Char('\n'));
}

void TfrmProtocol::closeEvent(QCloseEvent* event) {
    // The log stays with the main window; only the program's end closes it.
    event->ignore();
}
