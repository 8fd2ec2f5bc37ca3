// tarvek2-sim: a simulated Tarvek2 logger on a pseudo-terminal.
//
// Prints the port path on the first line of standard output, then plays the
// logger until SIGINT or SIGTERM (or, with --exit-after-update, until the
// restarted logger has answered its identify; or until the line is cut), and
// writes what was written to the logger as one line of JSON to standard
// output or to the --record file.  SIGUSR1 writes the record without ending.
#include "TSimRecordJson.h"
#include "TSimulatedLogger.h"
#include "simOptions.h"

#include <fmt/core.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gDump = 0;

void onStop(int) {
    gStop = 1;
}
void onDump(int) {
    gDump = 1;
}

void installHandlers() {
    struct sigaction sa {};
    sa.sa_handler = onStop;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sa.sa_handler = onDump;
    sigaction(SIGUSR1, &sa, nullptr);
}

bool writeRecord(const TSimOptions& options, const TSimulatedLogger& logger) {
    const std::string json = recordToJson(logger.record(), logger.portPath());
    if (options.sRecordFile.empty()) {
        fmt::print("{}\n", json);
        std::fflush(stdout);
        return true;
    }
    std::ofstream out(options.sRecordFile, std::ios::trunc);
    out << json << '\n';
    out.close();
    if (!out) {
        fmt::print(stderr, "tarvek2-sim: cannot write the record to {}\n", options.sRecordFile);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    TSimOptions options;
    if (const int code = parseSimOptions(argc, argv, options); code >= 0) return code;

    installHandlers();
    TSimulatedLogger logger(options.config);
    if (!logger.start()) {
        fmt::print(stderr, "tarvek2-sim: {}\n", logger.lastError());
        return 1;
    }
    if (!options.sLink.empty()) {
        ::unlink(options.sLink.c_str());
        if (::symlink(logger.portPath().c_str(), options.sLink.c_str()) != 0) {
            fmt::print(stderr, "tarvek2-sim: cannot link {} to {}\n", options.sLink,
                       logger.portPath());
            logger.stop();
            return 1;
        }
    }
    fmt::print("{}\n", logger.portPath());
    std::fflush(stdout);

    while (!gStop) {
        if (gDump) {
            gDump = 0;
            writeRecord(options, logger);
        }
        const TSimRecord rec = logger.record();
        if (rec.lineCut || (options.bExitAfterUpdate && rec.updateDone)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    logger.stop();
    if (!options.sLink.empty()) ::unlink(options.sLink.c_str());
    return writeRecord(options, logger) ? 0 : 1;
}
