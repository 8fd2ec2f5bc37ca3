// The companion windows: report lines, the message window's place and keys,
// the confirmation question, the firmware overview, and the report docked
// under the main window.
#include "images/uOverview.h"
#include "session/uNotifyTexts.h"
#include "ui/uConfirm.h"
#include "ui/uInfo.h"
#include "window_test_support.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTreeWidget>

#include <ctime>

class TestWindows : public QObject {
    Q_OBJECT
  private slots:
    void reportLineFormat();
    void reportAddAndClear();
    void messageWindowPlacedOverMainWindow();
    void messageWindowClosesOnEnterAndEsc();
    void messageWindowFitsItsText();
    void confirmQuestion();
    void overviewRows();
    void overviewWithFileFirst();
    void reportFollowsMainWindow();
    void controlsAreNamedByTheirText();
};

void TestWindows::reportLineFormat() {
    std::tm t{};
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    QCOMPARE(QString::fromStdString(reportLine(t, "Process cancelled!")),
             QStringLiteral("14-05-09 -> Process cancelled!"));
    t.tm_hour = 0;
    t.tm_min = 0;
    t.tm_sec = 0;
    QCOMPARE(QString::fromStdString(reportLine(t, "")), QStringLiteral("00-00-00 -> "));
}

void TestWindows::reportAddAndClear() {
    TfrmProtocol report(nullptr);
    QCOMPARE(report.windowTitle(), QStringLiteral("Report"));
    QVERIFY(report.lines().isEmpty());
    // Each line carries the time it was added at, as the controller's
    // clock gave it.
    std::tm t{};
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    report.Add(QStringLiteral("first"), t);
    report.Add(QString(), t);
    t.tm_sec = 10;
    report.Add(QStringLiteral("Start at serial port \"COM5\""), t);
    QCOMPARE(report.lines(), (QStringList{"14-05-09 -> first", "14-05-09 -> ",
                                          "14-05-10 -> Start at serial port \"COM5\""}));
    report.Clear();
    QVERIFY(report.lines().isEmpty());

    // The operator cannot close it.
    report.show();
    QVERIFY(QTest::qWaitForWindowExposed(&report));
    QVERIFY(!report.close());
    QVERIFY(report.isVisible());
    QVERIFY(!(report.windowFlags() & Qt::WindowCloseButtonHint));
}

void TestWindows::messageWindowPlacedOverMainWindow() {
    TfrmMessage msg(nullptr);
    QCOMPARE(msg.windowTitle(), QStringLiteral("Information"));
    QString shown;
    msg.onShowMsg = [&shown](const QString& t) { shown = t; };
    const int ownHeight = msg.frameGeometry().height();
    msg.showMsg(QStringLiteral("Process cancelled!"), 100, 200, 500, 300);
    QCOMPARE(shown, QStringLiteral("Process cancelled!"));
    QCOMPARE(msg.text(), QStringLiteral("Process cancelled!"));
    const QRect outer = msg.frameGeometry();
    QCOMPARE(outer.left(), 110);
    QCOMPARE(outer.width(), 480);
    QCOMPARE(outer.top() + outer.height(), 490);
    QCOMPARE(outer.height(), ownHeight); // the height stays

    // A fixed dialog border: the operator can resize it neither way.
    QCOMPARE(msg.minimumSize(), msg.maximumSize());
    QCOMPARE(msg.maximumSize(), msg.size());
    QVERIFY(msg.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));

    // The next message replaces the text; the width follows the main window.
    msg.showMsg(QStringLiteral("second"), 0, 0, 400, 400);
    QCOMPARE(msg.text(), QStringLiteral("second"));
    QCOMPARE(msg.frameGeometry().width(), 380);
    QCOMPARE(msg.minimumSize(), msg.maximumSize());
}

void TestWindows::messageWindowClosesOnEnterAndEsc() {
    TfrmMessage msg(nullptr);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        bool closedByKey = false;
        onNextModal([&closedByKey, key, &msg](QWidget* modal) {
            closedByKey = modal == &msg;
            QTest::keyClick(modal, key);
        });
        QElapsedTimer t;
        t.start();
        msg.showMsg(QStringLiteral("Update Tarvek2 V2.08 succesfully completed."), 0, 0, 500, 300);
        QVERIFY2(closedByKey, "the message window did not come up modally");
        QVERIFY(!msg.isVisible());
        QVERIFY(t.elapsed() < 4000);
    }
}

void TestWindows::messageWindowFitsItsText() {
    // The message of a port that does not exist, with its cause and remedy,
    // and a long text that wraps: each is read in full, the window keeps its
    // fixed border and its bottom edge.
    const QString remedy = QStringLiteral(
        "Aborted because serial port \"/dev/tarvek2-no-such-port\" is not ready!\r\nSerial port "
        "\"/dev/tarvek2-no-such-port\" does not exist. Check that the logger's cable is plugged "
        "in, or pick another port.");
    const QString longText = QString(QStringLiteral("There is no update available or the logger "
                                                    "has another update ID! "))
                                 .repeated(6);
    TfrmMessage msg(nullptr);
    msg.onShowMsg = [](const QString&) {};
    msg.show(); // a window without a main window knows its frame once shown
    QVERIFY(QTest::qWaitForWindowExposed(&msg));
    msg.showMsg(QStringLiteral("short"), 0, 0, 500, 300);
    const int designHeight = msg.height();
    for (const QString& text : {remedy, longText}) {
        msg.showMsg(text, 100, 200, 500, 300);
        msg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&msg));
        auto* memo = msg.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
        QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        // Every line in view: nothing to scroll to.
        // Every line in view: the end of the text lies inside the text box
        // with nothing scrolled away above it.
        QTextCursor end(memo->document());
        end.movePosition(QTextCursor::End);
        QCOMPARE(memo->verticalScrollBar()->value(), 0);
        QVERIFY2(memo->cursorRect(end).bottom() < memo->viewport()->height(),
                 qPrintable(QStringLiteral("last line ends at %1 of %2")
                                .arg(memo->cursorRect(end).bottom())
                                .arg(memo->viewport()->height())));
        QVERIFY(msg.height() > designHeight);
        QCOMPARE(msg.minimumSize(), msg.maximumSize());
        const QRect outer = msg.frameGeometry();
        QCOMPARE(outer.top() + outer.height(), 490);
        QCOMPARE(outer.width(), 480);
        // "OK" stays in its strip at the bottom.
        auto* ok = msg.findChild<QPushButton*>(QStringLiteral("Button1"));
        QVERIFY(ok->geometry().bottom() < msg.height());
        QVERIFY(ok->geometry().top() > memo->geometry().bottom());
        msg.hide();
    }
    // A short text brings the design height back.
    msg.showMsg(QStringLiteral("Process cancelled!"), 100, 200, 500, 300);
    QCOMPARE(msg.height(), designHeight);
}

void TestWindows::confirmQuestion() {
    struct Case {
        Qt::Key key;
        bool answer;
    };
    for (const Case c : {Case{Qt::Key_Return, true}, Case{Qt::Key_Escape, false}}) {
        QString caption;
        QStringList buttons;
        QString text;
        onNextModal([&](QWidget* modal) {
            caption = modal->windowTitle();
            for (QPushButton* b : modal->findChildren<QPushButton*>())
                buttons << b->text();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) text = box->text();
            QTest::keyClick(modal, c.key);
        });
        const bool answer = askConfirm(nullptr, QString::fromLatin1(cAskCloseBusy));
        QCOMPARE(answer, c.answer);
        QCOMPARE(caption, QStringLiteral("Confirm"));
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"No", "Yes"}));
        QCOMPARE(text,
                 QStringLiteral("The update is not finished!\nDo you really close the program ?"));
    }
}

namespace {

QList<QStringList> rowsOf(const TfrmInfo& info) {
    QList<QStringList> rows;
    for (int i = 0; i < info.list()->topLevelItemCount(); ++i) {
        QStringList row;
        for (int c = 0; c < 6; ++c)
            row << info.list()->topLevelItem(i)->text(c);
        rows << row;
    }
    return rows;
}

} // namespace

void TestWindows::overviewRows() {
    auto w = makeMain(TMainSetup{});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    TfrmInfo* info = w->infoWindow();
    QCOMPARE(info->windowTitle(), QStringLiteral("Overview"));
    QStringList headers;
    for (int c = 0; c < info->list()->columnCount(); ++c)
        headers << info->list()->headerItem()->text(c);
    QCOMPARE(headers, (QStringList{"Firmware", "Version", "Platform", "Print", "Date", "BL"}));
    QVERIFY(!info->list()->header()->sectionsClickable());

    const QList<QStringList> expected{
        {"Tarvek2", "2.08", "F5438 WD2", "A10g WLAN UART", "01.12.2021 09:05:06", "3.0"},
        {"Tarvek2", "2.08", "F5438 WD2", "A10e WLAN UART", "01.12.2021 09:05:00", "3.0"},
    };
    for (int selected : {-1, 1, 2}) {
        w->catalog().iSelectedFW = selected;
        // "Firmware" twice: the same rows, not twice as many.
        for (int round = 0; round < 2; ++round) {
            QList<QStringList> rows;
            int columnsSum = 0;
            QRect placed;
            int clientWidth = 0;
            onNextModal([&](QWidget* modal) {
                rows = rowsOf(*info);
                for (int c = 0; c < 6; ++c) {
                    const int width = info->list()->columnWidth(c);
                    const int header = info->list()->header()->sectionSizeHint(c);
                    QVERIFY(width >= header + 5);
                    columnsSum += width;
                }
                placed = info->frameGeometry();
                clientWidth = info->width();
                QTest::keyClick(modal, Qt::Key_Return); // "OK" holds the focus
            });
            QAction* firmware = w->findChild<QAction*>(QStringLiteral("menInfoFirmware"));
            firmware->trigger();
            QCOMPARE(rows, expected);
            QCOMPARE(clientWidth, columnsSum + 30);
            QCOMPARE(placed.topLeft(), w->frameGeometry().topLeft());
            QCOMPARE(placed.height(), w->frameGeometry().height());
            QVERIFY(!info->isVisible());
        }
    }
}

void TestWindows::overviewWithFileFirst() {
    auto w = makeMain(TMainSetup{});
    TBl3FileHeader h{};
    h.vorn_class = 0x6621;
    h.vorn_verH = 2;
    h.vorn_verL = 123;
    h.vorn_platform = 21;
    h.vorn_print = 38;
    h.vorn_date = "02.02.2022 10:00:00";
    h.vorn_bl = 0xFFFF;
    h.vorn_bl_ver = 0;
    w->catalog().FileHeader = h;
    w->catalog().iSelectedFW = 0;
    TfrmInfo* info = w->infoWindow();
    info->fillRows();
    const QList<QStringList> rows = rowsOf(*info);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], (QStringList{"Tarvek2", "2.123", "F5438 WD2", "A10e WLAN UART",
                                   "02.02.2022 10:00:00", "65535.0"}));
    QCOMPARE(rows[1][3], QStringLiteral("A10g WLAN UART"));
    info->fillRows();
    QCOMPARE(rowsOf(*info).size(), 3);
}

void TestWindows::reportFollowsMainWindow() {
    setInternValue(QStringLiteral("7361"));
    auto w = makeMain(TMainSetup{});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    TfrmProtocol* report = w->protocolWindow();
    QTRY_VERIFY(report->isVisible()); // shown at the first idle moment in internal mode
    QCOMPARE(report->frameGeometry().width(), w->frameGeometry().width());
    for (const QPoint to : {QPoint(120, 80), QPoint(300, 260), QPoint(0, 0)}) {
        w->move(to);
        QTRY_COMPARE(report->pos(),
                     QPoint(w->frameGeometry().left(), w->frameGeometry().bottom() + 1));
    }
    setInternValue(QVariant());

    // In normal mode the report is never shown.
    auto normal = makeMain(TMainSetup{});
    normal->show();
    QVERIFY(QTest::qWaitForWindowExposed(normal.get()));
    QTest::qWait(30);
    QVERIFY(!normal->protocolWindow()->isVisible());
}

void TestWindows::controlsAreNamedByTheirText() {
    setInternValue(QStringLiteral("7361"));
    TMainSetup setup;
    setup.args = QStringList{QStringLiteral("tarvek2-update"), QStringLiteral("f:+")};
    auto w = makeMain(std::move(setup));
    setInternValue(QVariant());
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    auto nameOf = [](QWidget* widget) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
        return a ? a->text(QAccessible::Name) : QString();
    };
    QStringList named;
    for (QAbstractButton* b : w->centralWidget()->findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty()) continue;
        QCOMPARE(nameOf(b), b->text());
        named << b->text();
    }
    named.sort();
    QCOMPARE(named, (QStringList{"Cancel", "Close", "File", "Read info only", "Update"}));
    // The port box is labelled by "Comport:"; its text, the port, is its value.
    auto* box = w->findChild<QComboBox*>(QStringLiteral("cbxPort"));
    QAccessibleInterface* boxA = QAccessible::queryAccessibleInterface(box);
    QCOMPARE(boxA->text(QAccessible::Value), box->currentText());
    bool labelled = false;
    for (const auto& [other, relation] : boxA->relations(QAccessible::Label))
        labelled = labelled || other->text(QAccessible::Name) == QStringLiteral("Comport:");
    QVERIFY(labelled);
    QCOMPARE(nameOf(w->findChild<QLabel*>(QStringLiteral("Label1"))), QStringLiteral("Comport:"));
}

TARVEK2_UI_TEST_MAIN(TestWindows)
#include "test_windows.moc"
