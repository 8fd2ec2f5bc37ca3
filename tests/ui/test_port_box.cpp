// The port box: filled at start, refilled when a port arrives or goes, the
// chosen port kept, the drop-down reopened only for an active, idle window.
#include "fake_port_events.h"
#include "serial/uPortListFilter.h"
#include "ui/uPortBox.h"
#include "window_test_support.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

#include <map>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

class TestPortBox : public QObject {
    Q_OBJECT
  private slots:
    void fillAtStart_data();
    void fillAtStart();
    void refreshRules_data();
    void refreshRules();
    void refreshWhenTheListOpens();
    void onlyVirtualComPortsFromTheDeviceMap();
    void windowFollowsThePortWatcher_data();
    void windowFollowsThePortWatcher();
};

using Ports = std::vector<std::string>;
Q_DECLARE_METATYPE(Ports)

namespace {

QStringList itemsOf(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

} // namespace

void TestPortBox::fillAtStart_data() {
    QTest::addColumn<Ports>("ports");
    QTest::addColumn<QString>("current");
    QTest::newRow("two ports, in the source's order")
        << Ports{"/dev/ttyUSB1", "/dev/ttyACM0"} << "/dev/ttyUSB1";
    QTest::newRow("no port") << Ports{} << "";
}

void TestPortBox::fillAtStart() {
    QFETCH(Ports, ports);
    QFETCH(QString, current);
    TPortComboBox box;
    TPortBoxRefresher refresher(
        box, [&ports](Ports& sl) { sl = ports; }, [] { return true; });
    refresher.fillAtStart();
    QStringList expected;
    for (const auto& p : ports)
        expected << QString::fromStdString(p);
    QCOMPARE(itemsOf(box), expected);
    QCOMPARE(box.currentText(), current);
}

void TestPortBox::refreshRules_data() {
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("openBefore");
    QTest::addColumn<bool>("openAfter");
    QTest::newRow("active and idle: the new list drops down") << true << true << false << true;
    QTest::newRow("active and idle, list was open: reopened") << true << true << true << true;
    QTest::newRow("session running: refilled, not opened") << true << false << false << false;
    QTest::newRow("another application active") << false << true << false << false;
}

void TestPortBox::refreshRules() {
    QFETCH(bool, active);
    QFETCH(bool, enabled);
    QFETCH(bool, openBefore);
    QFETCH(bool, openAfter);

    Ports ports{"/dev/ttyUSB0", "/dev/ttyUSB1"};
    QWidget window;
    auto* box = new TPortComboBox(&window);
    int sourceCalls = 0;
    TPortBoxRefresher refresher(
        *box,
        [&](Ports& sl) {
            ++sourceCalls;
            sl = ports;
        },
        [&active] { return active; });
    refresher.fillAtStart();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The operator picked the second port; then it goes away and another
    // one arrives.
    box->setCurrentIndex(1);
    if (openBefore) box->showPopup();
    box->setEnabled(enabled);
    ports = {"/dev/ttyACM3", "/dev/ttyUSB0"};
    refresher.portChanged();

    QCOMPARE(sourceCalls, 2);
    QCOMPARE(itemsOf(*box), (QStringList{"/dev/ttyACM3", "/dev/ttyUSB0"}));
    QCOMPARE(box->currentText(), QStringLiteral("/dev/ttyUSB1")); // kept, though it has gone
    QCOMPARE(box->view()->isVisible(), openAfter);
    box->hidePopup();
}

void TestPortBox::refreshWhenTheListOpens() {
    Ports ports{"/dev/ttyUSB0"};
    QWidget window;
    auto* box = new TPortComboBox(&window);
    TPortBoxRefresher refresher(
        *box, [&ports](Ports& sl) { sl = ports; }, [] { return true; });
    refresher.fillAtStart();
    box->beforePopup = [&refresher] { refresher.refill(); };
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    box->lineEdit()->setText(QStringLiteral("/dev/pts/4")); // typed by the operator

    ports = {"/dev/ttyUSB0", "/dev/ttyACM0"};
    box->showPopup();
    QCOMPARE(itemsOf(*box), (QStringList{"/dev/ttyUSB0", "/dev/ttyACM0"}));
    QCOMPARE(box->currentText(), QStringLiteral("/dev/pts/4"));
    box->hidePopup();
}

void TestPortBox::onlyVirtualComPortsFromTheDeviceMap() {
    // The serial device map as Windows enumerates it: value name -> port.
    const std::vector<std::pair<std::string, std::string>> deviceMap{
        {"\\Device\\Serial0", "COM1"},
        {"\\Device\\VCP0", "COM7"},
        {"\\DEVICE\\VCP3", "COM12"},
        {"\\Device\\Serial\\device\\vcp", "COM9"},
        {"\\Device\\Vcp1", "COM3"}};
    auto source = [&deviceMap](Ports& sl) {
        sl.clear();
        for (const auto& [name, port] : deviceMap)
            sl.push_back(name);
        keepVirtualComPorts(sl, [&deviceMap](std::size_t i, const std::string&) {
            return std::optional<std::string>(deviceMap[i].second);
        });
    };
    TPortComboBox box;
    TPortBoxRefresher refresher(box, source, [] { return false; });
    refresher.fillAtStart();
    QCOMPARE(itemsOf(box), (QStringList{"COM7", "COM12", "COM3"}));
    QCOMPARE(box.currentText(), QStringLiteral("COM7"));
}

// The main window takes its port changes from the port watcher in each of
// the watcher's ways: a descriptor that becomes readable (udev), a wake from
// the thread's message loop (the hidden window of Windows), and the rescan
// where no events come.
void TestPortBox::windowFollowsThePortWatcher_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("descriptor") << "descriptor";
    QTest::newRow("wake") << "wake";
    QTest::newRow("rescan") << "rescan";
}

void TestPortBox::windowFollowsThePortWatcher() {
    QFETCH(QString, way);
    int pipeFds[2];
    QVERIFY(::pipe2(pipeFds, O_NONBLOCK) == 0);
    const int readEnd = pipeFds[0];
    bool pending = false;
    auto seen = std::make_shared<TFakePortEvents::TSeen>();
    Ports ports{"/dev/ttyUSB0"};

    TMainSetup setup;
    setup.args = QStringList{QStringLiteral("tarvek2-update")};
    setup.portSource = [&ports](Ports& sl) { sl = ports; };
    setup.portEvents = [&] {
        TFakePortEvents::TSetup events;
        events.available = way != QLatin1String("rescan");
        if (way == QLatin1String("descriptor")) events.fd = readEnd;
        events.look = [&] {
            char byte;
            while (::read(readEnd, &byte, 1) == 1)
                pending = true;
            return std::exchange(pending, false);
        };
        return std::make_unique<TFakePortEvents>(std::move(events), seen);
    };
    auto w = std::make_unique<TfrmMain>(std::move(setup));
    initForms(*w);
    auto* box = w->findChild<QComboBox*>(QStringLiteral("cbxPort"));
    QVERIFY(box);
    QCOMPARE(itemsOf(*box), QStringList{"/dev/ttyUSB0"});

    ports = {"/dev/ttyUSB0", "/dev/ttyACM0"};
    if (way == QLatin1String("descriptor")) {
        QVERIFY(::write(pipeFds[1], "x", 1) == 1);
    } else if (way == QLatin1String("wake")) {
        pending = true;
        QVERIFY(seen->wake);
        seen->wake();
        QCOMPARE(itemsOf(*box), (QStringList{"/dev/ttyUSB0", "/dev/ttyACM0"})); // at once
    }
    // The rescan reads the list once a second.
    QTRY_COMPARE_WITH_TIMEOUT(itemsOf(*box), (QStringList{"/dev/ttyUSB0", "/dev/ttyACM0"}),
                              cPortRescanMs * 3);
    box->hidePopup();
    w.reset();
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
}

TARVEK2_UI_TEST_MAIN(TestPortBox)
#include "test_port_box.moc"
