#include "cli/cliPort.h"

#include "cli/exitCodes.h"

TCliPort::TCliPort(std::string port, int index, TNotifyQueue& queue, const TPortStart& start)
    : FPort(std::move(port)), FStart(start),
      FClock(start.setup.clock ? *start.setup.clock : systemClock()), FSink(queue, index),
      FController(std::make_unique<TUpdateController>(*this, FStart.setup)) {}

TCliPort::~TCliPort() = default;

bool TCliPort::start() {
    const bool started = FStart.file.empty()
                             ? FController->updateClicked(FPort, FStart.infoOnly)
                             : FController->fileClicked(FStart.file, FPort, FStart.infoOnly);
    if (!started && !FResult) {
        // Nothing ran (the image file was refused): the port ends here.
        TSessionOutcome outcome;
        outcome.final = {cNT_ABORT, 0};
        outcome.rendering.text = FController->state().status;
        sessionEnded(outcome);
    }
    return started;
}

void TCliPort::cancel() {
    if (FCancelled || ended()) return;
    FCancelled = true;
    FController->cancelClicked();
    for (auto* o : FOutputs)
        o->cancelling();
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

void TCliPort::addReport(const std::string& text) {
    const std::string line = reportLineNow(text);
    for (auto* o : FOutputs)
        o->reportLine(line);
}

void TCliPort::startTimer(int ms) {
    FDeadline = FClock.nowMs() + ms;
}

void TCliPort::notified(const TNotification& n, const TNotifyRendering& r) {
    const auto code = static_cast<std::uint16_t>(n.value & 0xFFFF);
    switch (n.kind) {
    case cNT_CLASS:
        if (FClass == 0xFFFF) FClass = code; // as the logger answered first
        break;
    case cNT_UPDATE_CLASS:
        FUpdateClass = code;
        break;
    case cNT_PLATFORM:
        FPlatform = code;
        break;
    case cNT_PRINT:
        FPrint = code;
        break;
    default:
        break;
    }
    for (auto* o : FOutputs)
        o->notification(n, r);
    // Every text the window would show on any of its outputs is shown once:
    // the report lines come through addReport(), and in the same form the
    // texts that go to the status bar or the message window only.
    if (r.handled && r.outputs.any() && !r.outputs.report) addReport(r.text);
}

void TCliPort::sessionEnded(const TSessionOutcome& outcome) {
    TPortResult r;
    r.port = FPort;
    r.outcome = outcome;
    r.infoOnly = FStart.infoOnly;
    r.maxRestarts = FStart.setup.policy.maxRestarts;
    r.exitCode = exitCodeFor(outcome.final, FStart.infoOnly);
    r.result = resultName(outcome.final, FStart.infoOnly);
    // The class the update is for where the logger told it, else the one it
    // answered with first.
    r.loggerClass = FUpdateClass != 0xFFFF ? FUpdateClass : FClass;
    r.platform = FPlatform;
    r.print = FPrint;
    if (outcome.selectedFW >= 0) {
        // The image as the report names it, without the "Check " in front.
        r.image =
            renderNotification({cNT_CHECK_IMAGE, outcome.selectedFW}, FController->catalog(), FPort)
                .text;
        if (r.image.rfind("Check ", 0) == 0) r.image.erase(0, 6);
    }
    FResult = r;
    FDeadline.reset();
    for (auto* o : FOutputs)
        o->finished(*FResult);
}
