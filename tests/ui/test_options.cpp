// Program start: the internal-mode switch as the Qt settings object writes it
// and the core reads it, and what the window looks like and asks in each
// mode.  (The option reader itself is tested with the controller.)
#include "ui/uDesign.h"
#include "window_test_support.h"

#include <cstdlib>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>

class TestOptions : public QObject {
    Q_OBJECT
  private slots:
    void internValue_data();
    void internValue();
    void internModeFromSettings();
    void windowModes_data();
    void windowModes();
    void fileModeSharesTheUpdateButtonsPlace();
    void portOptionFillsThePortBox();
};

void TestOptions::internValue_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("intern");
    QTest::newRow("missing") << QVariant() << false;
    QTest::newRow("the code as text") << QVariant(QStringLiteral("7361")) << true;
    QTest::newRow("the code as integer") << QVariant(7361) << true;
    QTest::newRow("blanks around") << QVariant(QStringLiteral(" 7361 ")) << true;
    QTest::newRow("another number") << QVariant(QStringLiteral("7362")) << false;
    QTest::newRow("zero") << QVariant(0) << false;
    QTest::newRow("not an integer") << QVariant(QStringLiteral("abc")) << false;
    QTest::newRow("number with trailing text") << QVariant(QStringLiteral("7361x")) << false;
    QTest::newRow("empty") << QVariant(QString()) << false;
}

// The core's reader finds the value in the file the settings object wrote.
void TestOptions::internValue() {
    QFETCH(QVariant, value);
    QFETCH(bool, intern);
    setInternValue(value);
    QCOMPARE(readInternMode(), intern);
    setInternValue(QVariant());
}

void TestOptions::internModeFromSettings() {
    setInternValue(QStringLiteral("7361"));
    QVERIFY(readInternMode());
    auto w = makeMain(TMainSetup{});
    QCOMPARE(w->controller().options().iFileMode, 1);
    setInternValue(QVariant());
    QVERIFY(!readInternMode());
}

void TestOptions::windowModes_data() {
    QTest::addColumn<QVariant>("intern");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("clearWarning");
    QTest::addColumn<QString>("checks"); // class, family, info: 1 on, 0 off
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("question"); // asked by "Update"; empty: none

    const QString save = QString::fromLatin1(cAskSaveMeasurements);
    const QString clear = QString::fromLatin1(cAskClearWarning);
    const QVariant off;
    const QVariant on(QStringLiteral("7361"));

    QTest::newRow("normal") << off << QStringList{} << 0 << false << "111"
                            << "" << save;
    QTest::newRow("normal, checks not relaxed")
        << off << QStringList{"cc:-", "cf:-", "ci:-", "f:+"} << 0 << false << "111"
        << "" << save;
    QTest::newRow("mf:+") << off << QStringList{"mf:+"} << 0 << true << "111"
                          << "F" << clear;
    QTest::newRow("mf:+ before mf:-") << off << QStringList{"mf:+", "mf:-"} << 0 << true << "111"
                                      << "F" << clear;
    QTest::newRow("mf:- before mf:+") << off << QStringList{"mf:-", "mf:+"} << 0 << false << "111"
                                      << "" << save;
    QTest::newRow("mf: with another value") << off << QStringList{"mf:x"} << 0 << false << "111"
                                            << "" << save;
    QTest::newRow("intern") << on << QStringList{} << 1 << false << "111"
                            << ""
                            << "";
    QTest::newRow("intern, f:+") << on << QStringList{"f:+"} << 2 << false << "111"
                                 << ""
                                 << "";
    QTest::newRow("intern, f:-") << on << QStringList{"f:-"} << 1 << false << "111"
                                 << ""
                                 << "";
    QTest::newRow("intern, checks relaxed")
        << on << QStringList{"cc:-", "cf:-", "ci:-"} << 1 << false << "000"
        << ""
        << "";
    QTest::newRow("intern, upper-case key") << on << QStringList{"CF:-"} << 1 << false << "101"
                                            << ""
                                            << "";
    QTest::newRow("intern, other values change nothing")
        << on << QStringList{"cc:+", "ci:0", "cf:--"} << 1 << false << "111"
        << ""
        << "";
    QTest::newRow("intern, mf:+") << on << QStringList{"mf:+"} << 1 << true << "111"
                                  << "F" << clear;
    QTest::newRow("switch not an integer")
        << QVariant(QStringLiteral("yes")) << QStringList{"f:+"} << 0 << false << "111"
        << "" << save;
}

void TestOptions::windowModes() {
    QFETCH(QVariant, intern);
    QFETCH(QStringList, args);
    QFETCH(int, fileMode);
    QFETCH(bool, clearWarning);
    QFETCH(QString, checks);
    QFETCH(QString, status);
    QFETCH(QString, question);

    setInternValue(intern);
    int sessions = 0;
    TMainSetup setup;
    setup.args = QStringList{QStringLiteral("tarvek2-update")} + args;
    setup.commThreadClass = [&sessions](TSessionContext) -> std::unique_ptr<TCommThread> {
        ++sessions;
        return nullptr;
    };
    auto w = makeMain(std::move(setup));
    TShown shown;
    shown.attach(*w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QTest::qWait(20); // the first idle moment

    QCOMPARE(w->windowTitle(), QStringLiteral("Tarvek2 Firmware Update"));
    const TProgramOptions& o = w->controller().options();
    QCOMPARE(o.iFileMode, fileMode);
    QCOMPARE(o.bClearWarning, clearWarning);
    const TSessionSettings& s = o.settings;
    QCOMPARE(QStringLiteral("%1%2%3")
                 .arg(int(s.bCheckClass))
                 .arg(int(s.bCheckFamily))
                 .arg(int(s.bCheckInfo)),
             checks);
    QVERIFY(!s.bInfoOnly);
    QCOMPARE(w->statusText(), status);

    auto* file = w->findChild<QPushButton*>(QStringLiteral("btnFile"));
    auto* fileVersion = w->findChild<QAction*>(QStringLiteral("menInfoFile"));
    auto* infoOnly = w->findChild<QCheckBox*>(QStringLiteral("chkReadInfoOnly"));
    QCOMPARE(file->isVisible(), fileMode == 2);
    QCOMPARE(fileVersion->isVisible(), fileMode == 2);
    QCOMPARE(infoOnly->isVisible(), fileMode > 0);
    QVERIFY(!infoOnly->isChecked());
    QCOMPARE(w->protocolWindow()->isVisible(), fileMode > 0);

    // "Update": the question due in this mode; "No" starts nothing.
    shown.answer = false;
    w->findChild<QPushButton*>(QStringLiteral("btnProg"))->click();
    if (question.isEmpty()) {
        QVERIFY(shown.questions.isEmpty());
        QCOMPARE(sessions, 1);
    } else {
        QCOMPARE(shown.questions, QStringList{question});
        QCOMPARE(sessions, 0);
    }
    w->endSession();
    setInternValue(QVariant());
}

void TestOptions::fileModeSharesTheUpdateButtonsPlace() {
    setInternValue(QStringLiteral("7361"));
    TMainSetup setup;
    setup.args = QStringList{QStringLiteral("tarvek2-update"), QStringLiteral("f:+")};
    auto w = makeMain(std::move(setup));
    auto* prog = w->findChild<QPushButton*>(QStringLiteral("btnProg"));
    auto* file = w->findChild<QPushButton*>(QStringLiteral("btnFile"));
    auto* close = w->findChild<QPushButton*>(QStringLiteral("btnClose"));
    QCOMPARE(prog->width(), close->width() / 2);
    QCOMPARE(file->width(), close->width() / 2);
    // 8 design units right of "Update", placed in design units as the
    // Windows program places it (rounding may give one pixel either way).
    QCOMPARE(file->x(), du(50 + 139 / 2 + 8));
    QVERIFY(std::abs(file->x() - (prog->x() + prog->width() + du(8))) <= 1);
    setInternValue(QVariant());

    auto normal = makeMain(TMainSetup{});
    QCOMPARE(normal->findChild<QPushButton*>(QStringLiteral("btnProg"))->width(),
             normal->findChild<QPushButton*>(QStringLiteral("btnClose"))->width());
}

void TestOptions::portOptionFillsThePortBox() {
    for (const QVariant& intern : {QVariant(), QVariant(QStringLiteral("7361"))}) {
        setInternValue(intern);
        TMainSetup setup;
        setup.args =
            QStringList{QStringLiteral("tarvek2-update"), QStringLiteral("port:/dev/pts/7")};
        auto w = makeMain(std::move(setup));
        auto* box = w->findChild<QComboBox*>(QStringLiteral("cbxPort"));
        QCOMPARE(box->currentText(), QStringLiteral("/dev/pts/7"));
        QCOMPARE(box->count(), 2); // the port list is still offered
    }
    setInternValue(QVariant());
}

TARVEK2_UI_TEST_MAIN(TestOptions)
#include "test_options.moc"
