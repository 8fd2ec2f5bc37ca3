#include "cli/run/runLoop.h"

#include <algorithm>

TRunLoop::TRunLoop(IRunScreen& screen, const std::atomic<bool>& interrupted, IClock& clock,
                   std::chrono::milliseconds idleEvery)
    : FScreen(screen), FInterrupted(interrupted), FClock(clock), FIdleEvery(idleEvery) {}

TRunLoop::~TRunLoop() {
    FPorts.clear();
}

TCliPort* TRunLoop::add(const std::string& port, const TPortStart& start,
                        std::unique_ptr<IPortOutput> log) {
    if (FCancelSeen) return nullptr;
    auto p = std::make_unique<TCliPort>(port, static_cast<int>(FPorts.size()), FQueue, start);
    p->addOutput(FScreen.addPort(port));
    if (log) {
        p->addOutput(*log);
        FLogs.push_back(std::move(log));
    }
    FPorts.push_back(std::move(p));
    FPorts.back()->start();
    return FPorts.back().get();
}

void TRunLoop::checkInterrupt() {
    if (!FInterrupted.load() || FCancelSeen) return;
    FCancelSeen = true;
    FScreen.cancelling();
    for (auto& p : FPorts)
        p->cancel();
}

void TRunLoop::step() {
    checkInterrupt();
    std::optional<std::int64_t> earliest;
    bool running = false;
    for (const auto& p : FPorts) {
        if (p->ended()) continue;
        running = running || p->sessionRunning();
        if (const auto d = p->deadline()) earliest = earliest ? std::min(*earliest, *d) : *d;
    }
    const std::int64_t idle = FIdleEvery.count();
    std::int64_t wait = idle;
    if (earliest) wait = std::clamp<std::int64_t>(*earliest - FClock.nowMs(), 0, idle);
    if (!running && earliest) {
        // Only a restart timer can move things on: wait on the run's clock
        // until it is due; a Ctrl-C not yet passed on ends the wait.
        static const std::atomic<bool> cNoCtrlC{false};
        const std::int64_t due = *earliest - FClock.nowMs();
        if (due > 0) FClock.waitMs(static_cast<int>(due), FCancelSeen ? cNoCtrlC : FInterrupted);
    } else if (auto t = FQueue.popFor(std::chrono::milliseconds(wait))) {
        // Everything that is there, before the screen is drawn again.
        do {
            // A Ctrl-C that came before this notification is passed on
            // before it is handled: a restart that it starts keeps the
            // cancel.
            checkInterrupt();
            FPorts.at(static_cast<std::size_t>(t->port))->notify(t->n);
        } while ((t = FQueue.popFor(std::chrono::milliseconds(0))));
    }
    const std::int64_t now = FClock.nowMs();
    for (auto& p : FPorts)
        p->checkTimer(now);
    if (FLastIdle < 0 || now - FLastIdle >= idle) {
        FLastIdle = now;
        FScreen.idle();
    }
}

void TRunLoop::runToEnd() {
    while (!allEnded())
        step();
}

bool TRunLoop::allEnded() const {
    return std::all_of(FPorts.begin(), FPorts.end(), [](const auto& p) { return p->ended(); });
}

std::vector<TPortResult> TRunLoop::results() const {
    std::vector<TPortResult> r;
    for (const auto& p : FPorts)
        if (p->ended()) r.push_back(p->result());
    return r;
}

int runExitStatus(const std::vector<TPortResult>& results) {
    for (const auto& r : results)
        if (r.exitCode != 0) return r.exitCode;
    return 0;
}
