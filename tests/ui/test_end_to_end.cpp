// The whole update from the operator's side: the real window, the real
// session and serial line, and the simulated logger at the other end of a
// pseudo-terminal.
#include "TSimulatedLogger.h"
#include "window_test_support.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QProgressBar>

class TestEndToEnd : public QObject {
    Q_OBJECT
  private slots:
    void updateFromTheMainWindow();
    void closingEndsWithinASecondAndAHalfInEveryPhase();
};

void TestEndToEnd::updateFromTheMainWindow() {
    TSimulatedLogger logger; // a Tarvek2 with print 38 running firmware 2.7
    QVERIFY2(logger.start(), logger.lastError().c_str());
    const QString port = QString::fromStdString(logger.portPath());

    TMainSetup setup;
    setup.args = QStringList{QStringLiteral("tarvek2-update"), QStringLiteral("port:") + port};
    TfrmMain w(std::move(setup));
    initForms(w);
    int beeps = 0;
    w.beepSeam = [&beeps] { ++beeps; };
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // "Update", then "Yes" (the default button) to the measurements question.
    QString question;
    onNextModal([&question](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) question = box->text();
        QTest::keyClick(modal, Qt::Key_Return);
    });
    w.findChild<QPushButton*>(QStringLiteral("btnProg"))->click();
    QCOMPARE(
        question,
        QStringLiteral("Do you save your measurements ?\nDo you really continue without saving ?"));
    QVERIFY(w.isBusy());

    // The message window at the end; Enter closes it.
    QString message;
    bool idleAtMessage = false;
    onNextModal(
        [&](QWidget* modal) {
            message = w.messageWindow()->text();
            idleAtMessage = !w.isBusy() && modal == w.messageWindow();
            QTest::keyClick(modal, Qt::Key_Return);
        },
        180000);
    QTRY_VERIFY_WITH_TIMEOUT(!message.isEmpty(), 180000);
    QCOMPARE(message, QStringLiteral("Update Tarvek2 V2.08 succesfully completed."));
    QVERIFY(idleAtMessage);
    QTRY_VERIFY(!w.messageWindow()->isVisible());
    QCOMPARE(beeps, 0);
    QCOMPARE(w.statusText(), message);
    QCOMPARE(w.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->value(), 100);
    QCOMPARE(w.appTitle(), QStringLiteral("Tarvek2 Firmware Update"));

    // The report holds the whole session, in order.
    const QStringList report = reportTexts(w);
    const QStringList expectedInOrder{
        QStringLiteral("Start at serial port \"%1\"").arg(port),
        "Class 26145 [Tarvekx]",
        "Version 2.7",
        "Class 51202 [BL3]", // the bootloader
        "Version 3.0",
        "Platform 21 [F5438 WD2]",
        "Print 38 [A10e WLAN UART]",
        "Update class 26145 [Tarvekx]",
        "Update Info FFFE",
        "Check Tarvek2 V2.08, A10e WLAN UART, BL3.0",
        "Update Tarvek2 V2.08, A10e WLAN UART, BL3.0",
        "Progress 1%",
        "Vector table is saved.",
        "Progress 50%",
        "Progress 90%",
        "Vector table is programmed.",
        "Class 26145 [Tarvekx]", // the restarted logger
        "Update Tarvek2 V2.08 succesfully completed.",
    };
    qsizetype at = 0;
    for (const QString& line : expectedInOrder) {
        const qsizetype found = report.indexOf(line, at);
        QVERIFY2(found >= 0, qPrintable(QStringLiteral("missing or out of order: ") + line +
                                        QStringLiteral("\nreport:\n") + report.join('\n')));
        at = found + 1;
    }
    QCOMPARE(report.first(), expectedInOrder.first());
    QCOMPARE(report.last(), expectedInOrder.last());

    const TSimRecord seen = logger.record();
    QVERIFY(seen.updateDone);
    QCOMPARE(seen.runs, 1);
    logger.stop();
}

// "Yes" to closing while busy, in every phase of a session against the
// simulated logger: identifying it, writing the image, and the long wait
// for the restarted logger after the last record.
void TestEndToEnd::closingEndsWithinASecondAndAHalfInEveryPhase() {
    const struct {
        const char* phase;
        const char* afterLine; // the report line that starts the phase
    } phases[] = {
        {"identifying", "Start at serial port"},
        {"writing", "Progress 1%"},
        {"waiting for the restarted logger", "Vector table is programmed."},
    };
    for (const auto& p : phases) {
        TSimulatedLogger logger;
        QVERIFY2(logger.start(), logger.lastError().c_str());
        TMainSetup setup;
        setup.args =
            QStringList{QStringLiteral("tarvek2-update"),
                        QStringLiteral("port:") + QString::fromStdString(logger.portPath())};
        setup.watchPorts = false;
        TfrmMain w(std::move(setup));
        initForms(w);
        QStringList questions;
        w.confirmSeam = [&questions](const QString& q) {
            questions << q;
            return true;
        };
        w.beepSeam = [] {};
        w.show();
        w.findChild<QPushButton*>(QStringLiteral("btnProg"))->click();
        QVERIFY(w.isBusy());
        QTRY_VERIFY_WITH_TIMEOUT(reportTexts(w).filter(QString::fromLatin1(p.afterLine)).size() > 0,
                                 180000);
        QElapsedTimer sinceYes;
        sinceYes.start();
        QVERIFY(!w.close());
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
        QVERIFY2(sinceYes.elapsed() <= 1500,
                 qPrintable(QStringLiteral("%1: %2 ms").arg(p.phase).arg(sinceYes.elapsed())));
        QCOMPARE(questions.size(), 2); // the measurements question, then the close question
        logger.stop();
    }
}

TARVEK2_UI_TEST_MAIN(TestEndToEnd)
#include "test_end_to_end.moc"
