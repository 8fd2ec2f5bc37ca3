#include "cli/commands/sessionCommand.h"

#include "cli/commands/imageFileCheck.h"
#include "cli/commands/internMode.h"
#include "cli/exitCodes.h"
#include "cli/output/jsonOutput.h"
#include "cli/output/logFile.h"
#include "cli/output/progressBar.h"
#include "cli/run/runLoop.h"
#include "images/uImageFile.h"
#include "serial/uPortList.h"
#include "session/uExceptions1V0.h"

int checkSessionOptions(const TUpdateOptions& o, TCommandEnv& env, bool& intern) {
    intern = env.internMode ? env.internMode() : isInternMode();
    const std::string refusal = internModeRefusal(
        o, intern, env.internSource.empty() ? internModeSource() : env.internSource);
    if (!refusal.empty()) {
        env.err << "tarvek2-cli: " << refusal << '\n';
        return cExitUsage;
    }
    if (!o.file.empty()) {
        // The image is checked as the session checks it before writing, but
        // before any port is touched: a bad image must not leave a logger
        // switched into its bootloader with nothing to write.
        const TImageFileCheck image = checkImageFile(o.file);
        if (image.load.result != TImageLoadResult::ok) {
            env.err << "tarvek2-cli: the image file \"" << o.file
                    << "\" cannot be used: " << image.load.text()
                    << ". Nothing was written; check the file name, or run "
                       "\"tarvek2-cli check FILE\" for details.\n";
            return cExitFailure;
        }
        if (!o.infoOnly && !image.good()) {
            env.err << "tarvek2-cli: the image file \"" << o.file
                    << "\" cannot be written: " << imageFileFault(image)
                    << ". No port was opened and no logger was touched; run \"tarvek2-cli "
                       "check FILE\" for details.\n";
            return image.exitStatus();
        }
    }
    if (!o.logDir.empty()) {
        const std::string why = prepareLogDir(o.logDir);
        if (!why.empty()) {
            env.err << "tarvek2-cli: the log folder \"" << o.logDir << "\" cannot be used: " << why
                    << ". Nothing was written.\n";
            return cExitFailure;
        }
    }
    return -1;
}

TPortStart portStart(const TUpdateOptions& o, bool intern, const TCommandEnv& env) {
    TPortStart start;
    TControllerSetup& s = start.setup;
    // "Read info only" is said by each start, not by the options.
    s.options = buildProgramOptions(optionRequest(o), intern);
    s.policy.askQuestions = false;
    s.policy.maxRestarts = o.maxRestarts;
    // A Ctrl-C is never dropped: also one given in a session that then ends
    // with a programming error ends the restarted session.
    s.policy.keepCancelOnProgRestart = true;
    s.commThreadClass = env.seams.factory;
    s.opener = env.seams.opener;
    s.clock = env.seams.clock;
    start.file = o.file;
    start.infoOnly = o.infoOnly;
    return start;
}

std::vector<std::string> listPorts(const TCommandEnv& env) {
    if (env.seams.portList) return env.seams.portList();
    std::vector<std::string> ports;
    getPortList(ports);
    return ports;
}

int runSessionCommand(const TUpdateOptions& o, TCommandEnv& env) {
    const std::string twice = repeatedPort(o.ports);
    if (!twice.empty()) {
        env.err << "tarvek2-cli: the port \"" << twice
                << "\" is given twice; give each logger's port once.\n";
        return cExitUsage;
    }
    bool intern = false;
    if (const int refused = checkSessionOptions(o, env, intern); refused >= 0) return refused;

    const std::vector<std::string> ports = o.allPorts ? listPorts(env) : o.ports;
    if (ports.empty()) {
        const std::string what = "USB serial port found. Plug in the loggers' cables (a port "
                                 "appears a few seconds later), then start again.";
        env.err << "tarvek2-cli: no " << what << '\n';
        // A script that reads the JSON gets its result object also here.
        if (o.json) env.out << noPortResultJson("No " + what) << '\n' << std::flush;
        return cEX_PORT_NOT_READY;
    }
    // Every log file is there before the first session starts.
    std::vector<std::unique_ptr<IPortOutput>> logs(ports.size());
    if (!o.logDir.empty())
        for (std::size_t i = 0; i < ports.size(); ++i) {
            std::string why;
            logs[i] = openLogFile(o.logDir, ports[i], why);
            if (!logs[i]) {
                env.err << "tarvek2-cli: the log file of " << ports[i] << ": " << why
                        << ". Nothing was written.\n";
                return cExitFailure;
            }
        }

    IClock& clock = env.seams.clock ? *env.seams.clock : systemClock();
    TScreenSetup screenSetup;
    screenSetup.mode = o.json    ? TScreenMode::json
                       : o.quiet ? TScreenMode::quiet
                                 : TScreenMode::text;
    screenSetup.terminal = env.terminal;
    screenSetup.severalPorts = o.allPorts || ports.size() > 1;
    screenSetup.clock = &clock;
    screenSetup.width = env.seams.width > 0 ? env.seams.width : terminalWidth();
    const auto screen = makeRunScreen(screenSetup, env.out, env.err);

    const TPortStart start = portStart(o, intern, env);
    std::vector<TPortResult> results;
    {
        TRunLoop loop(*screen, env.bCancel, clock, env.seams.idleEvery);
        for (std::size_t i = 0; i < ports.size(); ++i)
            loop.add(ports[i], start, std::move(logs[i]));
        loop.runToEnd();
        results = loop.results();
    }
    screen->ended(results);
    return runExitStatus(results);
}
