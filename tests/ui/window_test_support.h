// Shared pieces of the window tests: a settings folder of the test's own, the
// window with fakes around it, silent serial ports, and a way to answer the
// modal windows that a test runs into.
#pragma once

#include "ui/uInitForms.h"
#include "ui/uMain.h"
#include "ui/uMessage.h"
#include "ui/uProtocol.h"

#include <QApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

// The settings of the internal-mode switch live in a temporary folder, so a
// test never reads or writes the user's own.
#define TARVEK2_UI_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                              \
        QTemporaryDir config;                                                                      \
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());                                   \
        QApplication app(argc, argv);                                                              \
        TestClass tc;                                                                              \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

// Writes (or with an invalid value removes) the internal-mode value.
inline void setInternValue(const QVariant& value) {
    QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Vorn"));
    if (value.isValid())
        settings.setValue(QStringLiteral("intern"), value);
    else
        settings.remove(QStringLiteral("intern"));
    settings.sync();
}

// A serial line on which nothing ever answers.  Reads come back empty at once
// (the session's time-outs then pass on its clock), writes go nowhere.
class TSilentPort final : public IPort {
  public:
    explicit TSilentPort(std::atomic<int>& closes) : FCloses(closes) {}
    bool clearError() override { return true; }
    bool purge() override { return true; }
    bool write(const std::uint8_t*, std::size_t n, std::size_t& written) override {
        written = n;
        return true;
    }
    bool read(std::uint8_t*, std::size_t, std::size_t& got) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        got = 0;
        return true;
    }
    void close() override { ++FCloses; }

  private:
    std::atomic<int>& FCloses;
};

struct TSilentLine {
    std::atomic<int> opens{0};
    std::atomic<int> closes{0};
    TPortOpener opener() {
        return [this](const std::string&, int, TPortProblem&) -> TPortHandle {
            ++opens;
            return std::make_unique<TSilentPort>(closes);
        };
    }
};

// Records what the window shows in its message window and how often it beeps,
// instead of running the message window modally.
struct TShown {
    QStringList messages;
    QList<bool> busyAtMessage;
    int beeps = 0;
    QStringList questions;
    bool answer = true;

    void attach(TfrmMain& w) {
        w.messageWindow()->onShowMsg = [this, &w](const QString& text) {
            messages << text;
            busyAtMessage << w.isBusy();
        };
        w.beep = [this] { ++beeps; };
        w.confirm = [this](const QString& text) {
            questions << text;
            return answer;
        };
    }
};

// The window with its companions, the ports from a fixed list.
inline std::unique_ptr<TfrmMain> makeMain(TMainSetup setup) {
    if (setup.args.isEmpty()) setup.args = QStringList{QStringLiteral("tarvek2-update")};
    if (!setup.portSource)
        setup.portSource = [](std::vector<std::string>& sl) {
            sl = {"/dev/ttyUSB0", "/dev/ttyACM0"};
        };
    setup.watchPorts = false;
    auto w = std::make_unique<TfrmMain>(std::move(setup));
    initForms(*w);
    return w;
}

// The report's lines without their time stamps.
inline QStringList reportTexts(const TfrmMain& w) {
    QStringList out;
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d-\\d\\d-\\d\\d -> "));
    for (QString line : w.protocolWindow()->lines())
        out << line.remove(stamp);
    return out;
}

// Runs action on the next modal window that opens within waitMs.
inline void onNextModal(std::function<void(QWidget*)> action, int waitMs = 5000) {
    auto* poll = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, ticks, action, waitMs] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            action(modal);
        } else if (++*ticks * 10 > waitMs) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}
