#include "ui/uAbout.h"

#include "tarvek2_version.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QtGlobal>

QString aboutText() {
    static constexpr char cText[] =
        TARVEK2_PRODUCT "\nVersion " TARVEK2_VERSION "\n" TARVEK2_COPYRIGHT "\n\nQt ";
    return QString::fromUtf8(cText) + QString::fromLatin1(qVersion());
}

QAction* insertAboutEntry(QMenu* menu, QAction* before, QWidget* window) {
    auto* about = new QAction(QStringLiteral("About"), menu);
    about->setObjectName(QStringLiteral("menInfoAbout"));
    menu->insertAction(before, about);
    QObject::connect(about, &QAction::triggered, window, [window] { showAbout(window); });
    return about;
}

void showAbout(QWidget* parent) {
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("frmAbout"));
    box.setWindowTitle(QStringLiteral("About"));
    box.setIcon(QMessageBox::Information);
    box.setText(aboutText());
    // The operator can copy the version into a report.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
