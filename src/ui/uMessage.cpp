#include "ui/uMessage.h"

#include "desktop/uDesktopTexts.h"
#include "desktop/uMessageDesign.h"
#include "ui/uConfirm.h"
#include "ui/uDesign.h"
#include "ui/uFrame.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

TfrmMessage::TfrmMessage(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmMessage"));
    setWindowTitle(qText(cTextMessageCaption));
    setModal(true);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setAccessibleName(qText(cTextMessageCaption));

    Button1 = new QPushButton(qText(cTextOk), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    // A fixed dialog border: the operator resizes it neither way; only
    // showMsg sets its size, from the main window and the text.
    place(QRect(0, 0,
                frameExtraOf(*this).width() + du(cMessageWindowDesign.client.width) +
                    2 * cQtScale.px(cMessageWindowDesign.inset),
                0));
}

int TfrmMessage::textBoxHeightFor(const QString& text, int textBoxWidth) const {
    // The text laid out line by line as the text box lays it out: its font,
    // wrapped at the width inside its frame and its document's margin.
    const int frame = Memo1->frameWidth();
    const qreal margin = Memo1->document()->documentMargin();
    const qreal width = std::max<qreal>(textBoxWidth - 2 * frame - 2 * margin, 1);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal height = 0;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, Memo1->font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            height += line.height();
        }
        layout.endLayout();
    }
    return static_cast<int>(std::ceil(height + 2 * margin)) + 2 * frame;
}

void TfrmMessage::place(const QRect& covered, const QString& text) {
    const TSize frame = tSize(frameExtraOf(*this));
    const int boxWidth = messageTextBoxWidth(covered.width(), frame, cQtScale);
    const int boxHeight = text.isEmpty() ? 0 : textBoxHeightFor(text, boxWidth);
    const TMessageLayout l = messageLayout(tRect(covered), frame, boxHeight, cQtScale);
    move(l.outer.left, l.outer.top);
    setFixedSize(l.outer.width - frame.width, l.outer.height - frame.height);
    Memo1->setGeometry(qRect(l.textBox));
    Button1->setGeometry(qRect(l.button));
}

void TfrmMessage::showMsg(const QString& sMsg, int x, int y, int w, int h) {
    const QString shown = displayText(sMsg);
    place(QRect(x, y, w, h), shown);
    Memo1->clear();
    Memo1->setPlainText(shown);
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
