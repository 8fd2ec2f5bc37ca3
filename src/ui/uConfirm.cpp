#include "ui/uConfirm.h"

#include "desktop/uDesktopTexts.h"
#include "ui/uDesign.h"

#include <QMessageBox>
#include <QPushButton>

QString displayText(const QString& text) {
    return QString::fromStdString(plainLines(text.toStdString()));
}

bool askConfirm(QWidget* parent, const QString& text) {
    QMessageBox box(parent);
    box.setWindowTitle(qText(cTextConfirmCaption));
    box.setIcon(QMessageBox::Question);
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(text));
    QPushButton* yes = box.addButton(qText(cTextYes), QMessageBox::YesRole);
    QPushButton* no = box.addButton(qText(cTextNo), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}
