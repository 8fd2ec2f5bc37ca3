// Runs one port through the command line's run loop (its controller with
// the command line's policy) and collects what the run shows: the
// notifications of each session, the report lines and the result.
#pragma once

#include "cli/commands/sessionCommand.h"
#include "cli/run/runLoop.h"

#include <sstream>
#include <vector>

class TRunRecorder final : public IRunScreen, public IPortOutput {
  public:
    // IRunScreen
    IPortOutput& addPort(const std::string&) override { return *this; }
    void cancelling() override { ++cancelNotes; }
    void idle() override {}
    void ended(const std::vector<TPortResult>&) override {}

    // IPortOutput
    void reportLine(const std::string& line) override {
        lines.push_back(line.substr(12));
        if (lines.back().rfind("Start at serial port", 0) == 0) sessions.emplace_back();
    }
    void notification(const TNotification& n, const TNotifyRendering& r) override {
        sessions.back().push_back(n);
        texts.push_back(r.text);
    }
    void finished(const TPortResult& r) override {
        result = r;
        ++finishes;
    }

    // The notifications of each session, in order.
    std::vector<std::vector<TNotification>> sessions;
    std::vector<std::string> texts, lines;
    TPortResult result;
    int finishes = 0;
    int cancelNotes = 0;

    std::vector<std::int32_t> valuesOf(std::size_t session, std::uint32_t kind) const {
        std::vector<std::int32_t> out;
        for (const auto& n : sessions.at(session))
            if (n.kind == kind) out.push_back(n.value);
        return out;
    }
};

// One port's run as "update" (or "info") runs it, recorded.
inline TPortResult runRecorded(const TUpdateOptions& o, bool intern, TRunSeams seams,
                               const std::atomic<bool>& interrupted, TRunRecorder& rec) {
    std::ostringstream out, err;
    TCommandEnv env{out, err, [intern] { return intern; }, "SOURCE", false, interrupted, seams};
    TRunLoop loop(rec, interrupted, seams.clock ? *seams.clock : systemClock(), seams.idleEvery);
    loop.add(o.ports.at(0), portStart(o, intern, env));
    loop.runToEnd();
    return rec.result;
}
