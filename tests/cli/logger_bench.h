// Several ports in one process, each on its own scripted logger, with the
// run's clock shared by every session thread.
#pragma once

#include "scripted_logger.h"
#include "session/uClock.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>

// The sessions of all ports share the run's clock: one that only counts, and
// may be used from every session thread at once.
class TSharedFakeClock final : public IClock {
  public:
    void sleepMs(int ms) override { now += ms; }
    std::int64_t nowMs() override { return now; }
    std::atomic<std::int64_t> now{0};
};

// A logger per port, each with a clock of its own for its port's time-outs.
struct TBench {
    std::map<std::string, std::unique_ptr<TFakeClock>> clocks;
    std::map<std::string, std::unique_ptr<TScriptedLogger>> loggers;

    TScriptedLogger& add(const std::string& port, TScriptedIdentity id = {}) {
        clocks[port] = std::make_unique<TFakeClock>();
        loggers[port] = std::make_unique<TScriptedLogger>(*clocks[port], id);
        return *loggers[port];
    }
    // Each session opens its own port's logger; an unknown port is missing.
    TPortOpener opener() {
        return [this](const std::string& port, int baud, TPortProblem& problem) -> TPortHandle {
            const auto it = loggers.find(port);
            return it == loggers.end() ? TScriptedLogger::failingOpener()(port, baud, problem)
                                       : it->second->opener()(port, baud, problem);
        };
    }
};
