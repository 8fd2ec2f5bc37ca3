// tarvek2-update: the desktop program that writes firmware into a Tarvek2
// logger.  The main window reads the internal-mode switch and the options
// when it is created; the companion windows follow, hidden.
#include "ui/uInitForms.h"
#include "ui/uMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvek2-update"));

    // Sessions are created through CommThreadClass, the Tarvek2 update.
    TfrmMain frmMain{TMainSetup{}};
    initForms(frmMain);
    frmMain.show();
    return app.exec();
}
