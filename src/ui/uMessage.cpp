#include "ui/uMessage.h"

#include "ui/uConfirm.h"
#include "ui/uDesign.h"
#include "ui/uFrame.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QRect messageGeometry(const QRect& covered, int ownHeight) {
    return QRect(covered.left() + 10, covered.top() + covered.height() - ownHeight - 10,
                 covered.width() - 20, ownHeight);
}

TfrmMessage::TfrmMessage(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmMessage"));
    setWindowTitle(QStringLiteral("Information"));
    setModal(true);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setAccessibleName(QStringLiteral("Information"));

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button1->setFixedWidth(du(93));
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    // The strip along the bottom holds the button at its left edge.
    auto* strip = new QWidget(this);
    strip->setFixedHeight(du(45));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(du(3), du(3), du(3), du(3));
    stripLayout->addWidget(Button1);
    stripLayout->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(du(3), du(3), du(3), 0);
    layout->setSpacing(0);
    layout->addWidget(Memo1, 1);
    layout->addWidget(strip);

    // A fixed dialog border: the operator resizes it neither way; only
    // showMsg sets its width from the main window.
    setFixedSize(du(435), du(101));
}

void TfrmMessage::showMsg(const QString& sMsg, int x, int y, int w, int h) {
    // Own height is the outer height: the client height plus the frame.
    const QSize frameExtra = frameExtraOf(*this);
    const int frameExtraW = frameExtra.width();
    const int frameExtraH = frameExtra.height();
    const QRect outer = messageGeometry(QRect(x, y, w, h), height() + frameExtraH);
    move(outer.topLeft());
    setFixedWidth(outer.width() - frameExtraW);

    Memo1->clear();
    Memo1->setPlainText(displayText(sMsg));
    Button1->setFocus();

    if (onShowMsg) {
        onShowMsg(sMsg);
        return;
    }
    exec();
}

QString TfrmMessage::text() const {
    return Memo1->toPlainText();
}
