#include "cli/run/cliPort.h"

#include "cli/exitCodes.h"

namespace {

TControllerSetup withCancelFlag(TControllerSetup setup, std::atomic<bool>& flag) {
    setup.cancelFlag = &flag;
    return setup;
}

} // namespace

TCliPort::TCliPort(std::string port, int index, TNotifyQueue& queue, const TPortStart& start)
    : FPort(std::move(port)), FStart(start),
      FClock(start.setup.clock ? *start.setup.clock : systemClock()), FSink(queue, index),
      FController(std::make_unique<TUpdateController>(
          *this, withCancelFlag(FStart.setup, FCancelFlag.flag()))) {}

TCliPort::~TCliPort() = default;

bool TCliPort::start() {
    const bool started = FStart.file.empty()
                             ? FController->updateClicked(FPort, FStart.infoOnly)
                             : FController->fileClicked(FStart.file, FPort, FStart.infoOnly);
    return started;
}

void TCliPort::cancel() {
    if (FCancelled || ended()) return;
    FCancelled = true;
    FController->cancelClicked();
    for (auto* o : FOutputs)
        o->cancelling();
}

void TCliPort::notify(const TNotification& n) {
    // The report line the controller adds while it handles a progress
    // notification is the progress's own.
    FProgressNotice = n.kind == cNT_PROGRESS;
    FController->notify(n);
    FProgressNotice = false;
}

void TCliPort::checkTimer(std::int64_t nowMs) {
    if (!FDeadline || nowMs < *FDeadline) return;
    FDeadline.reset();
    FController->timerElapsed();
}

void TCliPort::idle() {
    for (auto* o : FOutputs)
        o->idle();
}

void TCliPort::render(const TControllerState& state) {
    for (auto* o : FOutputs)
        o->stateChanged(state);
}

void TCliPort::addReport(const TReportLine& line) {
    const std::string text = line.line();
    for (auto* o : FOutputs)
        if (FProgressNotice)
            o->progressLine(text);
        else
            o->reportLine(text);
}

void TCliPort::startTimer(int ms) {
    FDeadline = FClock.nowMs() + ms;
}

void TCliPort::notified(const TNotification& n, const TNotifyRendering& r) {
    for (auto* o : FOutputs)
        o->notification(n, r);
    // Every text the window would show on any of its outputs is shown once:
    // the report lines come through addReport(), and in the same form the
    // texts that go to the status bar or the message window only.
    if (r.handled && r.outputs.any() && !r.outputs.report)
        addReport(FController->stampedLine(r.text));
}

void TCliPort::sessionEnded(const TSessionOutcome& outcome) {
    TPortResult r;
    r.port = FPort;
    r.outcome = outcome;
    r.infoOnly = FStart.infoOnly;
    r.maxRestarts = FStart.setup.policy.maxRestarts;
    r.exitCode = exitCodeFor(outcome.final, FStart.infoOnly);
    r.result = resultName(outcome.final, FStart.infoOnly);
    FResult = r;
    FDeadline.reset();
    for (auto* o : FOutputs)
        o->finished(*FResult);
}
