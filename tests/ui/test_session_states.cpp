// Sessions from the window's side: the idle and busy states and what can be
// used in each, cancel, restarts after a communication error, closing while
// an update runs, and "File" with an image file that cannot be read.
#include "fake_clock.h"
#include "ui/uInfo.h"
#include "window_test_support.h"

#include <QElapsedTimer>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTreeWidget>

class TestSessionStates : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { setInternValue(QVariant()); }
    void idleAndBusyStates();
    void portThatDoesNotExist();
    void emptyPortList();
    void sessionGetsSettingsAndPort();
    void restartAfterWaitKeepsCancel();
    void closeWhileBusy();
    void closeDuringRestartWait();
    void closeWhileIdle();
    void fileThatCannotBeRead();
    void fileStartsSessionWithTheImage();
    void enterPressesUpdate();
};

namespace {

TMainSetup internSetup(QStringList extraArgs = {}) {
    setInternValue(QStringLiteral("7361"));
    TMainSetup setup;
    setup.args = QStringList{QStringLiteral("tarvek2-update")} + extraArgs;
    return setup;
}

struct TStateView {
    bool update, close, cancel, cancelEnabled, port, file, fileVersion, firmware;
};

TStateView stateOf(TfrmMain& w) {
    return {w.findChild<QPushButton*>(QStringLiteral("btnProg"))->isEnabled(),
            w.findChild<QPushButton*>(QStringLiteral("btnClose"))->isVisibleTo(&w),
            w.findChild<QPushButton*>(QStringLiteral("btnCancel"))->isVisibleTo(&w),
            w.findChild<QPushButton*>(QStringLiteral("btnCancel"))->isEnabled(),
            w.findChild<QComboBox*>(QStringLiteral("cbxPort"))->isEnabled(),
            w.findChild<QPushButton*>(QStringLiteral("btnFile"))->isEnabled(),
            w.findChild<QAction*>(QStringLiteral("menInfoFile"))->isEnabled(),
            w.findChild<QAction*>(QStringLiteral("menInfoFirmware"))->isEnabled()};
}

void verifyIdle(TfrmMain& w) {
    const TStateView s = stateOf(w);
    QVERIFY(!w.isBusy());
    QVERIFY(s.update && s.close && !s.cancel && s.port);
    QVERIFY(s.firmware);
    if (w.controller().options().iFileMode == 2)
        QVERIFY(s.file && s.fileVersion); // hidden otherwise
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(w.appTitle(), QStringLiteral("Tarvek2 Firmware Update"));
}

void verifyBusy(TfrmMain& w) {
    const TStateView s = stateOf(w);
    QVERIFY(w.isBusy());
    QVERIFY(!s.update && !s.close && s.cancel && s.cancelEnabled && !s.port);
    // The image selection cannot change under a running session; the
    // overview only reads.
    QVERIFY(!s.file && !s.fileVersion && s.firmware);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
}

void click(TfrmMain& w, const char* name) {
    w.findChild<QPushButton*>(QString::fromLatin1(name))->click();
}

QString firmwareFile() {
    return qEnvironmentVariable("TARVEK2_FIRMWARE_DIR") +
           QStringLiteral("/Tarvek2_V2_08_PF21_PR38_BL3_0.txt");
}

} // namespace

void TestSessionStates::idleAndBusyStates() {
    TSilentLine line;
    TMainSetup setup = internSetup({QStringLiteral("f:+")});
    setup.opener = line.opener();
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);
    w->show();
    verifyIdle(*w);

    click(*w, "btnProg");
    verifyBusy(*w);
    QTest::qWait(150);
    verifyBusy(*w);

    click(*w, "btnCancel");
    QTRY_COMPARE(shown.messages, QStringList{"Process cancelled!"});
    verifyIdle(*w);
    QCOMPARE(shown.beeps, 1);
    QCOMPARE(line.opens.load(), 1);
    QCOMPARE(line.closes.load(), 1);
    const QStringList report = reportTexts(*w);
    QCOMPARE(report.first(), QStringLiteral("Start at serial port \"/dev/ttyUSB0\""));
    QCOMPARE(report.last(), QStringLiteral("Process cancelled!"));
    QCOMPARE(w->statusText(), QStringLiteral("Process cancelled!"));
}

void TestSessionStates::portThatDoesNotExist() {
    TMainSetup setup;
    setup.args = QStringList{QStringLiteral("tarvek2-update"),
                             QStringLiteral("port:/dev/tarvek2-no-such-port")};
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);
    click(*w, "btnProg");
    QCOMPARE(shown.questions, QStringList{QString::fromLatin1(cAskSaveMeasurements)});
    const QString text =
        QStringLiteral("Aborted because serial port \"/dev/tarvek2-no-such-port\" is not ready!");
    // The message window adds the cause and remedy on a line of its own;
    // report and status bar keep the exact text.
    const QString remedy = QStringLiteral(
        "Serial port \"/dev/tarvek2-no-such-port\" does not exist. Check that the logger's "
        "cable is plugged in, or pick another port.");
    QTRY_COMPARE(shown.messages, QStringList{text + QStringLiteral("\r\n") + remedy});
    verifyIdle(*w);
    QCOMPARE(w->statusText(), text);
    QCOMPARE(reportTexts(*w),
             (QStringList{"Start at serial port \"/dev/tarvek2-no-such-port\"", text}));
}

void TestSessionStates::emptyPortList() {
    TSilentLine line;
    TMainSetup setup = internSetup();
    setup.portSource = [](std::vector<std::string>& sl) { sl.clear(); };
    setup.opener = [](const std::string& sPort, int, TPortProblem& problem) -> TPortHandle {
        problem = {TPortCause::missing, TPortStep::open, "open", 2, "", sPort, ""};
        return nullptr;
    };
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);
    auto* box = w->findChild<QComboBox*>(QStringLiteral("cbxPort"));
    QCOMPARE(box->count(), 0);
    QCOMPARE(box->currentText(), QString());
    click(*w, "btnProg");
    QTRY_COMPARE(shown.messages,
                 QStringList{"Aborted because serial port \"\" is not ready!\r\nNo serial port is "
                             "chosen. Pick the port of the logger's cable."});
    QCOMPARE(reportTexts(*w).first(), QStringLiteral("Start at serial port \"\""));
}

void TestSessionStates::sessionGetsSettingsAndPort() {
    std::vector<TSessionContext> started;
    TMainSetup setup = internSetup({QStringLiteral("cc:-"), QStringLiteral("ci:-")});
    setup.commThreadClass = [&started](TSessionContext c) -> std::unique_ptr<TCommThread> {
        started.push_back(c);
        return nullptr;
    };
    auto w = makeMain(std::move(setup));
    w->findChild<QComboBox*>(QStringLiteral("cbxPort"))->setEditText(QStringLiteral("/dev/pts/3"));
    w->findChild<QCheckBox*>(QStringLiteral("chkReadInfoOnly"))->setChecked(true);
    click(*w, "btnProg");
    QCOMPARE(started.size(), std::size_t(1));
    const TSessionContext& c = started[0];
    QCOMPARE(QString::fromStdString(c.sPort), QStringLiteral("/dev/pts/3"));
    QVERIFY(c.cmd == TCmd::tCMD0);
    QVERIFY(c.hWindow != nullptr);
    QVERIFY(c.catalog == &w->catalog());
    QCOMPARE(c.catalog->iSelectedFW.load(), -1);
    QVERIFY(!c.settings.bCheckClass);
    QVERIFY(c.settings.bCheckFamily);
    QVERIFY(!c.settings.bCheckInfo);
    QVERIFY(c.settings.bInfoOnly);
    QVERIFY(c.bCancel != nullptr && !c.bCancel->load());
    w->endSession();
}

void TestSessionStates::restartAfterWaitKeepsCancel() {
    // Nothing answers: every session ends with a communication error and is
    // repeated after the wait.  The fake clock lets the retries pass at once.
    TSilentLine line;
    TFakeClock clock;
    TMainSetup setup = internSetup();
    setup.opener = line.opener();
    setup.clock = &clock;
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);
    w->show();

    click(*w, "btnProg");
    QTRY_VERIFY(w->restartPending());
    QElapsedTimer wait;
    wait.start();
    QCOMPARE(w->statusText(), QStringLiteral("Repeat update because communication error!"));
    verifyBusy(*w); // busy through the wait; the window keeps responding
    QTRY_COMPARE_WITH_TIMEOUT(line.opens.load(), 2, 5000);
    QVERIFY(wait.elapsed() >= 1400);
    verifyBusy(*w);

    // "Cancel" during the next wait: the restarted session ends at its first
    // frame.
    QTRY_VERIFY(w->restartPending());
    click(*w, "btnCancel");
    QTRY_COMPARE_WITH_TIMEOUT(shown.messages, QStringList{"Process cancelled!"}, 5000);
    QCOMPARE(line.opens.load(), 3);
    verifyIdle(*w);

    const QString start = QStringLiteral("Start at serial port \"/dev/ttyUSB0\"");
    const QString repeat = QStringLiteral("Repeat update because communication error!");
    QStringList withoutProgress;
    for (const QString& t : reportTexts(*w))
        if (!t.startsWith(QLatin1String("Progress"))) withoutProgress << t;
    QCOMPARE(withoutProgress,
             (QStringList{start, repeat, start, repeat, start, "Process cancelled!"}));
}

void TestSessionStates::closeWhileBusy() {
    TSilentLine line;
    TMainSetup setup = internSetup();
    setup.opener = line.opener();
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);
    w->show();
    click(*w, "btnProg");
    QTest::qWait(50);

    shown.answer = false; // "No" keeps the window and the session
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    verifyBusy(*w);
    QCOMPARE(line.closes.load(), 0);

    shown.answer = true; // "Yes": cancelled; the window closes when the session has ended
    QElapsedTimer sinceYes;
    sinceYes.start();
    QVERIFY(!w->close()); // returns at once: nothing waits for the session thread
    QVERIFY(w->isVisible());
    QVERIFY(w->controller().state().closing);
    // It shows that it is ending: "Cancel" stays in place but disabled, the
    // busy cursor stays.
    const TStateView ending = stateOf(*w);
    QVERIFY(ending.cancel && !ending.cancelEnabled && !ending.update && !ending.port);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 1500);
    QVERIFY2(sinceYes.elapsed() <= 1500, qPrintable(QString::number(sinceYes.elapsed())));
    QCOMPARE(shown.questions, (QStringList{cAskCloseBusy, cAskCloseBusy}));
    QVERIFY(!w->isBusy());
    QCOMPARE(line.closes.load(), 1); // the thread has ended and released the port
    QTest::qWait(50);
    QVERIFY(shown.messages.isEmpty()); // its last notification is not shown any more
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void TestSessionStates::closeDuringRestartWait() {
    TSilentLine line;
    TFakeClock clock;
    TMainSetup setup = internSetup();
    setup.opener = line.opener();
    setup.clock = &clock;
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);
    w->show();
    click(*w, "btnProg");
    QTRY_VERIFY(w->restartPending());
    QVERIFY(w->close());
    QCOMPARE(shown.questions, QStringList{cAskCloseBusy});
    QTest::qWait(1700);
    QCOMPARE(line.opens.load(), 1); // no session after the window closed
}

void TestSessionStates::closeWhileIdle() {
    auto w = makeMain(TMainSetup{});
    TShown shown;
    shown.attach(*w);
    w->show();
    QVERIFY(w->close());
    QVERIFY(shown.questions.isEmpty());
}

void TestSessionStates::fileThatCannotBeRead() {
    QTemporaryDir dir;
    const QString badHeader = dir.filePath(QStringLiteral("bad.txt"));
    {
        QFile f(badHeader);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("bootloader=3\nbootloader version=0\nclass=zwei\nversionH=2\nversionL=8\n"
                "platform=21\nprint=38\ndate=x\n:00000001FF\n");
    }
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));

    struct Case {
        QString file;
        QString reason; // part of the reader's error text
    };
    for (const Case& c :
         {Case{missing, QStringLiteral("cannot open")}, Case{badHeader, QStringLiteral("zwei")}}) {
        TSilentLine line;
        TMainSetup setup = internSetup({QStringLiteral("f:+")});
        setup.opener = line.opener();
        auto w = makeMain(std::move(setup));
        TShown shown;
        shown.attach(*w);
        w->chooseFile = [&c] { return c.file; };
        click(*w, "btnFile");

        const QString prefix = QStringLiteral("Cannot read the image file \"%1\": ").arg(c.file);
        QCOMPARE(shown.messages.size(), 1);
        QVERIFY2(shown.messages[0].startsWith(prefix), qPrintable(shown.messages[0]));
        QVERIFY2(shown.messages[0].contains(c.reason), qPrintable(shown.messages[0]));
        QCOMPARE(reportTexts(*w), shown.messages);
        QCOMPARE(w->statusText(), shown.messages[0]);
        QVERIFY(!w->isBusy()); // no session
        QCOMPARE(line.opens.load(), 0);
        QCOMPARE(w->catalog().iSelectedFW.load(), -1);
        QVERIFY(w->catalog().FileLines.empty());
    }
}

void TestSessionStates::fileStartsSessionWithTheImage() {
    QVERIFY(QFile::exists(firmwareFile()));
    std::vector<TSessionContext> started;
    TMainSetup setup = internSetup({QStringLiteral("f:+")});
    setup.commThreadClass = [&started](TSessionContext c) -> std::unique_ptr<TCommThread> {
        started.push_back(c);
        return nullptr;
    };
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);
    w->chooseFile = [] { return firmwareFile(); };
    w->show();

    // "File version": the file's header heads the overview.
    QList<QString> firstRow;
    int rows = 0;
    onNextModal([&](QWidget* modal) {
        rows = w->infoWindow()->list()->topLevelItemCount();
        firstRow << w->infoWindow()->list()->topLevelItem(0)->text(3);
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    w->findChild<QAction*>(QStringLiteral("menInfoFile"))->trigger();
    QCOMPARE(rows, 3);
    QCOMPARE(firstRow, QList<QString>{"A10e WLAN UART"});
    QVERIFY(w->catalog().FileLines.empty()); // only the header was read

    // "File": no question, the session gets the image in the file slot.
    click(*w, "btnFile");
    QVERIFY(shown.questions.isEmpty());
    QCOMPARE(started.size(), std::size_t(1));
    QCOMPARE(w->catalog().iSelectedFW.load(), 0);
    const auto& lines = w->catalog().FileLines;
    QVERIFY(lines.size() > 100);
    for (const auto& l : lines)
        QVERIFY(l.find('=') == std::string::npos);
    QCOMPARE(lines.back(), std::string(":00000001FF"));
    QCOMPARE(w->catalog().FileHeader.vorn_print, std::uint16_t(38));
    w->endSession();

    // "Update" searches the built-in images again.
    click(*w, "btnProg");
    QCOMPARE(started.size(), std::size_t(2));
    QCOMPARE(w->catalog().iSelectedFW.load(), -1);
    w->endSession();
}

void TestSessionStates::enterPressesUpdate() {
    int sessions = 0;
    TMainSetup setup;
    setup.commThreadClass = [&sessions](TSessionContext) -> std::unique_ptr<TCommThread> {
        ++sessions;
        return nullptr;
    };
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    auto* box = w->findChild<QComboBox*>(QStringLiteral("cbxPort"));
    box->setFocus();
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(shown.questions, QStringList{cAskSaveMeasurements});
    QCOMPARE(sessions, 1);
    QCOMPARE(box->count(), 2); // Enter did not add the text as an item

    // Busy: Enter starts nothing more.
    QTest::keyClick(w.get(), Qt::Key_Return);
    QCOMPARE(shown.questions.size(), 1);
    QCOMPARE(sessions, 1);
    w->endSession();
}

TARVEK2_UI_TEST_MAIN(TestSessionStates)
#include "test_session_states.moc"
