#include "ui/uAbout.h"

#include "desktop/uAboutText.h"
#include "desktop/uDesktopTexts.h"
#include "ui/uDesign.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QtGlobal>

QString aboutText() {
    return QString::fromStdString(aboutLines()) + QStringLiteral("\n\nQt ") +
           QString::fromLatin1(qVersion());
}

QAction* insertAboutEntry(QMenu* menu, QAction* before, QWidget* window) {
    auto* about = new QAction(qText(cTextMenuAbout), menu);
    about->setObjectName(QStringLiteral("menInfoAbout"));
    menu->insertAction(before, about);
    QObject::connect(about, &QAction::triggered, window, [window] { showAbout(window); });
    return about;
}

void showAbout(QWidget* parent) {
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("frmAbout"));
    box.setWindowTitle(qText(cTextMenuAbout));
    box.setIcon(QMessageBox::Information);
    box.setText(aboutText());
    // The operator can copy the version into a report.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
