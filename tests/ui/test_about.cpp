// "About" in the main window's menu: where it sits, that the menu's own
// entries keep their captions, and that it shows the version of this build.
#include "tarvek2_version.h"
#include "ui/uAbout.h"
#include "window_test_support.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

class TestAbout : public QObject {
    Q_OBJECT
  private slots:
    void entryBetweenSeparatorAndExit();
    void showsTheVersion();
};

void TestAbout::entryBetweenSeparatorAndExit() {
    auto w = makeMain(TMainSetup{});
    auto* menu = w->findChild<QMenu*>(QStringLiteral("menInfo"));
    QVERIFY(menu);
    QCOMPARE(menu->title(), QStringLiteral("Info v2021-12-01"));
    QStringList entries;
    for (QAction* a : menu->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(entries, (QStringList{"Firmware", "File version", "-", "About", "Exit"}));
    // Exit still ends the program, About is an entry of its own.
    auto* exit = w->findChild<QAction*>(QStringLiteral("menFileExit"));
    auto* about = w->findChild<QAction*>(QStringLiteral("menInfoAbout"));
    QVERIFY(exit && about);
    QCOMPARE(exit->text(), QStringLiteral("Exit"));
    QVERIFY(about->isVisible() && about->isEnabled());
}

void TestAbout::showsTheVersion() {
    QVERIFY(aboutText().contains(QStringLiteral("Version " TARVEK2_VERSION)));
    QVERIFY(QStringLiteral(TARVEK2_VERSION)
                .startsWith(QStringLiteral("%1.%2.%3")
                                .arg(TARVEK2_VERSION_MAJOR)
                                .arg(TARVEK2_VERSION_MINOR)
                                .arg(TARVEK2_VERSION_PATCH)));

    auto w = makeMain(TMainSetup{});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QString title, text;
    QWidget* parent = nullptr;
    onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        title = box->windowTitle();
        text = box->text();
        parent = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    w->findChild<QAction*>(QStringLiteral("menInfoAbout"))->trigger();
    QCOMPARE(title, QStringLiteral("About"));
    QVERIFY2(text.contains(QStringLiteral(TARVEK2_VERSION)), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Tarvek2 Firmware Update")));
    QCOMPARE(parent, w.get());
    // The main window's caption is untouched.
    QCOMPARE(w->windowTitle(), QStringLiteral("Tarvek2 Firmware Update"));
}

TARVEK2_UI_TEST_MAIN(TestAbout)
#include "test_about.moc"
