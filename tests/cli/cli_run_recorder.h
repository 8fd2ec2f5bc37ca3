// Collects what a run shows: session starts, notifications and the outcome.
#pragma once

#include "cli/sessionRunner.h"

#include <vector>

class TRunRecorder final : public IRunOutput {
  public:
    void sessionStarting() override { sessions.emplace_back(); }
    void notification(const TNotification& n, const TNotifyRendering& r) override {
        sessions.back().push_back(n);
        texts.push_back(r.text);
    }
    void idle() override {}
    void finished(const TRunOutcome& o) override {
        outcome = o;
        ++finishes;
    }

    // The notifications of each session, in order.
    std::vector<std::vector<TNotification>> sessions;
    std::vector<std::string> texts;
    TRunOutcome outcome;
    int finishes = 0;

    std::vector<std::int32_t> valuesOf(std::size_t session, std::uint32_t kind) const {
        std::vector<std::int32_t> out;
        for (const auto& n : sessions.at(session))
            if (n.kind == kind) out.push_back(n.value);
        return out;
    }
};
