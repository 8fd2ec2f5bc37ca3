#include "cli/commands/stationCommand.h"

#include "cli/exitCodes.h"
#include "cli/output/logFile.h"
#include "cli/output/progressBar.h"
#include "cli/run/hotPlugFallback.h"
#include "cli/run/portArrivals.h"
#include "cli/run/runLoop.h"
#include "serial/uPortWatcher.h"
#include "session/uExceptions1V0.h"

#include <algorithm>
#include <utility>

int runStationCommand(const TUpdateOptions& o, TCommandEnv& env) {
    bool intern = false;
    if (const int refused = checkSessionOptions(o, env, intern); refused >= 0) return refused;

    IClock& clock = env.seams.clock ? *env.seams.clock : systemClock();
    TScreenSetup screenSetup;
    screenSetup.terminal = env.terminal;
    screenSetup.station = true;
    screenSetup.clock = &clock;
    screenSetup.width = env.seams.width > 0 ? env.seams.width : terminalWidth();
    const auto screen = makeRunScreen(screenSetup, env.out, env.err);
    const TPortStart start = portStart(o, intern, env);

    env.err << "tarvek2-cli: waiting for loggers: each USB serial port that appears is updated "
               "once while it stays plugged in. Press Ctrl-C to stop.\n"
            << std::flush;
    TRunLoop loop(*screen, env.bCancel, clock, env.seams.idleEvery);
    TPortArrivals arrivals;
    TPortWatcher watcher([&env](std::vector<std::string>& sl) { sl = listPorts(env); },
                         env.seams.portEvents ? env.seams.portEvents() : nullptr);
    if (watcher.start() == TPortWatchMode::rescan)
        env.err << hotPlugFallbackNote(watcher.rescanEveryMs()) << std::flush;
    bool firstLook = true;
    std::vector<std::string> present;
    auto running = [&](const std::string& port) {
        return std::any_of(loop.ports().begin(), loop.ports().end(),
                           [&](const auto& p) { return p->port() == port && !p->ended(); });
    };
    while (!loop.interrupted()) {
        // The list is read at once, then whenever the watcher tells of a
        // change; a port that waits for its previous run to end is looked at
        // again at every step.
        const bool changed = std::exchange(firstLook, false) || watcher.changed(clock.nowMs());
        if (changed) present = listPorts(env);
        if (changed || arrivals.waiting())
            for (const auto& port : arrivals.update(present, running)) {
                std::unique_ptr<IPortOutput> log;
                if (!o.logDir.empty()) {
                    std::string why;
                    log = openLogFile(o.logDir, port, why);
                    if (!log) {
                        // No update goes unrecorded.
                        env.err << "tarvek2-cli: " << port << " is not updated: its log file "
                                << why << ".\n"
                                << std::flush;
                        continue;
                    }
                }
                loop.add(port, start, std::move(log));
            }
        loop.step();
    }
    loop.runToEnd();
    // Read from the results, not from the ports still running after the
    // loop's last step: the step that saw the Ctrl-C may already have ended
    // the sessions it cancelled.
    const auto results = loop.results();
    screen->ended(results);
    const bool cancelled = std::any_of(results.begin(), results.end(), [](const auto& r) {
        return r.exitCode == static_cast<int>(cEX_CANCELLED);
    });
    return cancelled ? static_cast<int>(cEX_CANCELLED) : cExitOk;
}
