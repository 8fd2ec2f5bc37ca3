// Every notification kind and abort reason: the report line, the status bar,
// the message window and the effects, driven through the window's handler.
#include "session/uExceptions1V0.h"
#include "window_test_support.h"

#include <QLabel>
#include <QProgressBar>

class TestNotifications : public QObject {
    Q_OBJECT
  private slots:
    void notification_data();
    void notification();
    void notificationsArriveAsPostedEventsInOrder();
};

namespace {
const QString cUnchanged = QStringLiteral("(unchanged)");
enum Restart { none, atOnce, afterWait };
} // namespace
Q_DECLARE_METATYPE(Restart)

void TestNotifications::notification_data() {
    QTest::addColumn<uint>("kind");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("selected");       // iSelectedFW when it arrives
    QTest::addColumn<QStringList>("report"); // lines added, without time stamps
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message"); // empty: no message window
    QTest::addColumn<int>("progress");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("beep");
    QTest::addColumn<bool>("idle");
    QTest::addColumn<Restart>("restart");

    const QString busyTitle = QStringLiteral("12%");
    const QString idleTitle = QStringLiteral("Tarvek2 Firmware Update");
    const QString start = QStringLiteral("Start at serial port \"/dev/ttyUSB0\"");

    auto row = [&](const char* name, uint kind, int value, int selected, const QString& text,
                   const QString& outputs) -> QTestData& {
        return QTest::newRow(name)
               << kind << value << selected
               << (outputs.contains(QLatin1Char('R')) ? QStringList{text} : QStringList{})
               << (outputs.contains(QLatin1Char('S')) ? text : cUnchanged)
               << (outputs.contains(QLatin1Char('M')) ? text : QString());
    };
    auto info = [&](const char* name, uint kind, int value, const QString& text,
                    const QString& outputs, int selected = -1) {
        row(name, kind, value, selected, text, outputs)
            << 12 << busyTitle << false << false << none;
    };
    auto abort = [&](const char* name, int reason, const QString& text,
                     const QString& outputs = QStringLiteral("RSM")) {
        row(name, cNT_ABORT, reason, 1, text, outputs) << 12 << idleTitle << true << true << none;
    };

    row("done", cNT_DONE, 0, 1, "Update Tarvek2 V2.08 succesfully completed.", "RSM")
        << 100 << idleTitle << false << true << none;
    row("done, print-47 image", cNT_DONE, 0, 2, "Update Tarvek2 V2.08 succesfully completed.",
        "RSM")
        << 100 << idleTitle << false << true << none;
    row("progress 37", cNT_PROGRESS, 37, 1, "Progress 37%", "R")
        << 37 << QStringLiteral("37%") << false << false << none;

    abort("abort 10, port not ready", cEX_PORT_NOT_READY,
          "Aborted because serial port \"/dev/ttyUSB0\" is not ready!");
    abort("abort 11, port i/o", cEX_PORT_IO,
          "Aborted because error when reading/writing to serial port!");
    abort("abort 20, cancelled", cEX_CANCELLED, "Process cancelled!");
    abort("abort 40, no update", cEX_NO_UPDATE,
          "Aborted because no update is available for this logger!");
    abort("abort 41, logger not ready", cEX_LOGGER_NOT_READY,
          "Aborted because the logger is not ready!");
    abort("abort 42, last line", cEX_LAST_LINE, "Aborted because last line is wrong !");
    abort("abort 43, conversion: message window only", cEX_CONVERSION,
          "Aborted because conversion error!", "M");
    abort("abort 45, update failed", cEX_UPDATE_FAILED, "Update was not successfull!");
    abort("abort 46, invalid answer", cEX_INVALID_ANSWER,
          "Aborted because the logger transmitted an invalid answer!");
    abort("abort 47, update id", cEX_UPID_MISMATCH,
          "There is no update available or the logger has another update ID!");
    abort("abort 70, info only", cEX_INFO_ONLY, "Only read update info!");
    abort("abort 0, not a session error", 0, "Fatal Exception has occurred!");
    abort("abort 30, never posted", cEX_COMM_ERROR, "Fatal Exception has occurred!");
    abort("abort 99, unknown", 99, "Fatal Exception has occurred!");
    QTest::newRow("abort 44, repeat at once")
        << cNT_ABORT << cEX_PROG_REPEAT << 1
        << QStringList{"Repeat because programming error!", start} << start << QString() << 0
        << idleTitle << true << false << atOnce;

    info("programming error line", cNT_PROG_ERROR_LINE, 17,
         "Aborted because programming error at line 17 !", "RS");
    info("conversion error line", cNT_CONV_ERROR_LINE, 5,
         "Aborted because conversion error at line  5 !", "R");
    QTest::newRow("repeat after a communication error")
        << cNT_REPEAT_COMM << 0 << 1 << QStringList{"Repeat update because communication error!"}
        << "Repeat update because communication error!" << QString() << 12 << busyTitle << false
        << false << afterWait;
    info("class", cNT_CLASS, 0x6621, "Class 26145 [Tarvekx]", "R");
    info("class not in the table", cNT_CLASS, 0x1234, "Class 4660 [?]", "R");
    info("version", cNT_VERSION, 0x0208, "Version 2.8", "R");
    info("platform", cNT_PLATFORM, 21, "Platform 21 [F5438 WD2]", "R");
    info("print", cNT_PRINT, 38, "Print 38 [A10e WLAN UART]", "R");
    info("info", cNT_INFO, 258, "Info 258", "R");
    info("update class", cNT_UPDATE_CLASS, 0x6621, "Update class 26145 [Tarvekx]", "R");
    info("update image", cNT_UPDATE_IMAGE, 0, "Update Tarvek2 V2.08, A10g WLAN UART, BL3.0", "RS",
         2);
    info("check image", cNT_CHECK_IMAGE, 1, "Check Tarvek2 V2.08, A10e WLAN UART, BL3.0", "R");
    info("update info FFFE", cNT_UPDATE_INFO, 0xFFFE, "Update Info FFFE", "R");
    info("update info 1A", cNT_UPDATE_INFO, 0x1A, "Update Info 001A", "R");
    info("vector table saved", cNT_VECTOR_TABLE, 0, "Vector table is saved.", "R");
    info("vector table programmed", cNT_VECTOR_TABLE, 1, "Vector table is programmed.", "R");
    info("vector table, other value", cNT_VECTOR_TABLE, 2, "", "");
    info("kind not in the table", 2, 5, "", "");
}

void TestNotifications::notification() {
    QFETCH(uint, kind);
    QFETCH(int, value);
    QFETCH(int, selected);
    QFETCH(QStringList, report);
    QFETCH(QString, status);
    QFETCH(QString, message);
    QFETCH(int, progress);
    QFETCH(QString, title);
    QFETCH(bool, beep);
    QFETCH(bool, idle);
    QFETCH(Restart, restart);

    std::vector<TSessionContext> started;
    TMainSetup setup;
    setup.commThreadClass = [&started](TSessionContext c) -> std::unique_ptr<TCommThread> {
        started.push_back(c);
        return nullptr; // the window's side only: no thread runs
    };
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);

    // A session under way: started, 12% written, a status text of its own.
    w->findChild<QPushButton*>(QStringLiteral("btnProg"))->click();
    QCOMPARE(started.size(), std::size_t(1));
    w->controller().notify({cNT_PROGRESS, 12});
    QCOMPARE(w->appTitle(), QStringLiteral("12%"));
    const QString before = w->statusText();
    const int linesBefore = int(reportTexts(*w).size());
    w->catalog().iSelectedFW = selected;

    w->controller().notify({kind, value});

    QCOMPARE(reportTexts(*w).mid(linesBefore), report);
    QCOMPARE(w->statusText(), status == cUnchanged ? before : status);
    QCOMPARE(w->findChild<QLabel*>(QStringLiteral("StatusBar1"))->toolTip(), w->statusText());
    QCOMPARE(shown.messages, message.isEmpty() ? QStringList{} : QStringList{message});
    // Back to idle before the message window opens.
    for (bool busy : shown.busyAtMessage)
        QVERIFY(!busy);
    QCOMPARE(w->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->value(), progress);
    QCOMPARE(w->appTitle(), title);
    QCOMPARE(w->windowTitle(), title);
    QCOMPARE(shown.beeps, beep ? 1 : 0);
    QCOMPARE(w->isBusy(), !idle);
    QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("btnProg"))->isEnabled(), idle);

    switch (restart) {
    case none:
        QCOMPARE(started.size(), std::size_t(1));
        QVERIFY(!w->restartPending());
        break;
    case atOnce:
        QCOMPARE(started.size(), std::size_t(2));
        QVERIFY(started[1].cmd == TCmd::tCMD0);
        QVERIFY(!w->restartPending());
        break;
    case afterWait:
        QCOMPARE(started.size(), std::size_t(1));
        QVERIFY(w->restartPending());
        break;
    }
    w->endSession();
}

void TestNotifications::notificationsArriveAsPostedEventsInOrder() {
    TMainSetup setup;
    setup.commThreadClass = [](TSessionContext) -> std::unique_ptr<TCommThread> { return nullptr; };
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);
    w->findChild<QPushButton*>(QStringLiteral("btnProg"))->click();

    // Posted from another thread, handled later in the window's own thread.
    TWindowNotifySink sink(w.get());
    std::thread session([&sink] {
        sink.post({cNT_CLASS, 0x6621});
        for (int p = 1; p <= 99; ++p)
            sink.post({cNT_PROGRESS, p});
        sink.post({cNT_VECTOR_TABLE, 1});
        sink.post({cNT_DONE, 0});
    });
    session.join();
    QCOMPARE(reportTexts(*w).size(), 1); // nothing handled yet
    w->catalog().iSelectedFW = 1;
    QTRY_VERIFY(!w->isBusy());

    const QStringList texts = reportTexts(*w);
    QCOMPARE(texts.size(), 1 + 1 + 99 + 1 + 1);
    QCOMPARE(texts[1], QStringLiteral("Class 26145 [Tarvekx]"));
    for (int p = 1; p <= 99; ++p)
        QCOMPARE(texts[1 + p], QStringLiteral("Progress %1%").arg(p));
    QCOMPARE(texts[101], QStringLiteral("Vector table is programmed."));
    QCOMPARE(texts[102], QStringLiteral("Update Tarvek2 V2.08 succesfully completed."));
    QCOMPARE(shown.messages, QStringList{"Update Tarvek2 V2.08 succesfully completed."});
}

TARVEK2_UI_TEST_MAIN(TestNotifications)
#include "test_notifications.moc"
