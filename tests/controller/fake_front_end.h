// A front end for the controller's tests: it notes every call in order and
// carries the sessions' notifications to the test's thread when told to.
#pragma once

#include "controller/uUpdateController.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Where sessions post; the test takes them out in order.
class TQueueSink final : public INotifySink {
  public:
    void post(const TNotification& n) override {
        {
            std::lock_guard lock(FMutex);
            FQueue.push_back(n);
        }
        FArrived.notify_all();
    }
    std::optional<TNotification> popFor(std::chrono::milliseconds wait) {
        std::unique_lock lock(FMutex);
        if (!FArrived.wait_for(lock, wait, [this] { return !FQueue.empty(); })) return std::nullopt;
        const TNotification n = FQueue.front();
        FQueue.pop_front();
        return n;
    }

  private:
    std::mutex FMutex;
    std::condition_variable FArrived;
    std::deque<TNotification> FQueue;
};

class TFakeFrontEnd final : public IUpdateFrontEnd {
  public:
    // Calls in order: "R:text", "S:text" (a new status text rendered), "M:text", "Q:question",
    // "beep", "clear", "start", "timer:ms", "stoptimer", "ended", "close".
    std::vector<std::string> calls;
    std::vector<TControllerState> renders;
    std::vector<bool> busyAtMessage;
    std::vector<TSessionOutcome> outcomes;
    std::vector<TNotification> notifiedKinds;
    std::vector<std::string> reportLines; // as the report shows them, stamped
    bool answer = true;
    TQueueSink sink;

    // A status text that differs from the one rendered before counts as S.
    void render(const TControllerState& state) override {
        const std::string before = renders.empty() ? std::string() : renders.back().status;
        if (state.status != before) calls.push_back("S:" + state.status);
        renders.push_back(state);
    }
    void addReport(const TReportLine& line) override {
        calls.push_back("R:" + line.text);
        reportLines.push_back(line.line());
    }
    void clearReport() override { calls.push_back("clear"); }
    void showInfo(const std::string& text) override {
        calls.push_back("M:" + text);
        busyAtMessage.push_back(!renders.empty() && renders.back().busy);
    }
    bool confirm(const std::string& question) override {
        calls.push_back("Q:" + question);
        return answer;
    }
    void beep() override { calls.push_back("beep"); }
    void startTimer(int ms) override { calls.push_back("timer:" + std::to_string(ms)); }
    void stopTimer() override { calls.push_back("stoptimer"); }
    INotifySink& notifySink() override { return sink; }
    void notified(const TNotification& n, const TNotifyRendering&) override {
        notifiedKinds.push_back(n);
    }
    void sessionStarting() override { calls.push_back("start"); }
    void sessionEnded(const TSessionOutcome& o) override {
        calls.push_back("ended");
        outcomes.push_back(o);
    }
    void closeNow() override { calls.push_back("close"); }

    // Carries what the sessions posted to the controller, as the window's
    // event loop does, until a notification leaves the controller idle or
    // waiting for its timer, or nothing came within the wait.
    int pump(TUpdateController& c, std::chrono::milliseconds wait = std::chrono::seconds(20)) {
        int delivered = 0;
        while (auto n = sink.popFor(wait)) {
            c.notify(*n);
            ++delivered;
            if (isFinalNotification(n->kind) && (!c.state().busy || c.restartPending())) break;
        }
        return delivered;
    }
};
