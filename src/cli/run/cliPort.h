// One port of a tarvek2-cli run: the update controller of that port and the
// command line's side of it (IUpdateFrontEnd).  The controller decides
// everything about the sessions; this class asks nothing (the policy has no
// questions), carries the notifications from the shared queue to the
// controller, keeps the restart timer as a deadline on the run's clock, and
// hands what the controller shows to the port's outputs.  Everything but the
// queue's post runs on the CLI's thread.
#pragma once

#include "cli/output/portOutput.h"
#include "cli/run/cancelFlags.h"
#include "cli/run/notifyQueue.h"
#include "controller/uUpdateController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// What every port of a run starts with.
struct TPortStart {
    TControllerSetup setup; // options, policy and the seams for tests
    std::string file;       // an image file for the file slot; empty: the built-in images
    bool infoOnly = false;
};

class TCliPort final : public IUpdateFrontEnd {
  public:
    // Sessions post to queue under the tag index.
    TCliPort(std::string port, int index, TNotifyQueue& queue, const TPortStart& start);
    ~TCliPort() override;

    void addOutput(IPortOutput& output) { FOutputs.push_back(&output); }
    // Starts the first session; false when none started (the controller
    // then reported the refused start as the port's outcome).
    bool start();
    // Ctrl-C (or another request to stop) as the run loop passes it on:
    // "Cancel" of this port's controller and its outputs, once.
    void cancel();
    void notify(const TNotification& n);
    // Runs the restart timer when its deadline has come; the deadline, if any.
    void checkTimer(std::int64_t nowMs);
    std::optional<std::int64_t> deadline() const { return FDeadline; }
    void idle();

    const std::string& port() const { return FPort; }
    bool ended() const { return FResult.has_value(); }
    // A session thread runs (not ended, and no restart waiting on the timer).
    bool sessionRunning() const { return !ended() && !FDeadline; }
    const TPortResult& result() const { return *FResult; }

    // IUpdateFrontEnd
    void render(const TControllerState& state) override;
    void addReport(const TReportLine& line) override;
    void clearReport() override {}
    void showInfo(const std::string&) override {} // shown as a line by notified()
    bool confirm(const std::string&) override { return true; }
    void beep() override {}
    void startTimer(int ms) override;
    void stopTimer() override { FDeadline.reset(); }
    INotifySink& notifySink() override { return FSink; }
    void notified(const TNotification& n, const TNotifyRendering& r) override;
    void sessionEnded(const TSessionOutcome& outcome) override;

  private:
    // The sessions' cancel flag, where a signal reaches it at once; it
    // outlives the controller and so every session of this port.
    TCancelFlag FCancelFlag;
    std::string FPort;
    TPortStart FStart;
    IClock& FClock;
    TTaggedSink FSink;
    std::vector<IPortOutput*> FOutputs;
    std::optional<std::int64_t> FDeadline;
    bool FCancelled = false;
    bool FProgressNotice = false; // the controller handles a progress notification
    std::optional<TPortResult> FResult;
    std::unique_ptr<TUpdateController> FController; // last: ends its session first
};
