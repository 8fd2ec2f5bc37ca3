#include "cli/stationCommand.h"

#include "cli/exitCodes.h"
#include "cli/logFile.h"
#include "cli/portArrivals.h"
#include "cli/progressBar.h"
#include "cli/runLoop.h"
#include "session/uExceptions1V0.h"

#include <algorithm>

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
    TPortEvents events;
    auto running = [&](const std::string& port) {
        return std::any_of(loop.ports().begin(), loop.ports().end(),
                           [&](const auto& p) { return p->port() == port && !p->ended(); });
    };
    while (!loop.interrupted()) {
        // A port list from a test is looked at every step.
        if (env.seams.portList || events.due(clock.nowMs()))
            for (const auto& port : arrivals.update(listPorts(env), running)) {
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
    const bool cancelled = loop.cancelledRunning();
    loop.runToEnd();
    screen->ended(loop.results());
    return cancelled ? static_cast<int>(cEX_CANCELLED) : cExitOk;
}
