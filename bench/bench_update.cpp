// Benchmark of a whole update (not a test): the print-38 image written to
// the unpaced simulated logger through the real POSIX serial backend.
//
//  1. Per record: (wall time of the session - the waits the protocol
//     mandates) / data records, in microseconds, next to the bare round trip
//     of a 139-byte echo over a pseudo-terminal measured in the same run.
//     Goal: within 3x the bare round trip.
//  2. The real tarvek2-cli against the real tarvek2-sim: CPU time (user +
//     system) and peak memory of the CLI process.  Goals: under 0.1 s and
//     under 10 MB.
//
// Prints the figures and whether each goal is met; exits 1 when one is
// missed, 2 when the benchmark itself cannot run.
#include "TSimulatedLogger.h"
#include "benchReport.h"
#include "childRun.h"
#include "ptyEcho.h"
#include "session/uTarvekCommThread.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// The waits of a session from the application: the pause after each of the
// two wake frames, the pause after the switch, the pause before the finish
// record and the logger's restart.
constexpr int cWakeFrames = 2;
constexpr double cMandatedWaitMs =
    cWakeFrames * cWakePauseMs + cSwitchPauseMs + cFinishPauseMs + cRestartPauseMs;
constexpr double cRecordFactorGoal = 3.0;
constexpr double cCpuGoalSeconds = 0.1;
constexpr long cRssGoalKiB = 10 * 1024;

struct TOptions {
    int runs = 5;
    int echoes = 0; // bare round trips per run; at least as many as records
    std::string cli = TARVEK2_CLI;
    std::string sim = TARVEK2_SIM;
};

class TFinalSink final : public INotifySink {
  public:
    void post(const TNotification& n) override {
        std::lock_guard lock(FMutex);
        if (isFinalNotification(n.kind)) final = n;
    }
    TNotification final{cNT_ABORT, -1};

  private:
    std::mutex FMutex;
};

// The system clock, noting how long the session's sleeps really took: on a
// busy machine a sleep ends late, and that is the machine, not the program.
class TTimedClock final : public IClock {
  public:
    void sleepMs(int ms) override {
        const auto t0 = std::chrono::steady_clock::now();
        systemClock().sleepMs(ms);
        sleptMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                       .count();
    }
    std::int64_t nowMs() override { return systemClock().nowMs(); }
    double sleptMs = 0;
};

std::string range(const std::vector<double>& v, const char* format) {
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    char a[32], b[32];
    std::snprintf(a, sizeof a, format, *lo);
    std::snprintf(b, sizeof b, format, *hi);
    return std::string("runs ") + a + ".." + b;
}

struct TSessionRun {
    bool ok = false;
    double wallMs = 0;
    double sleptMs = 0; // the mandated waits as they really took
    int records = 0;
};

// One update in this process: the simulator's line thread on one side, the
// session (run on this thread) with the real openPort on the other.
TSessionRun runSession() {
    TSessionRun run;
    TSimulatedLogger sim; // unpaced
    if (!sim.start()) {
        std::fprintf(stderr, "bench: simulator: %s\n", sim.lastError().c_str());
        return run;
    }
    TFWCatalog catalog;
    catalog.iSelectedFW = -1;
    std::atomic<bool> cancel{false};
    TFinalSink sink;
    TTimedClock clock;
    TSessionContext context;
    context.clock = &clock;
    context.hWindow = &sink;
    context.sPort = sim.portPath();
    context.catalog = &catalog;
    context.bCancel = &cancel;
    const auto t0 = std::chrono::steady_clock::now();
    CommThreadClass(context)->Execute();
    run.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    run.sleptMs = clock.sleptMs;
    const TSimRecord record = sim.record();
    run.records = static_cast<int>(record.lastRunBlocks().size());
    run.ok = sink.final.kind == cNT_DONE && record.updateDone && catalog.iSelectedFW == 1;
    if (!run.ok)
        std::fprintf(stderr, "bench: the session ended with kind %u value %d\n", sink.final.kind,
                     sink.final.value);
    return run;
}

TChildUsage runCli(const TOptions& o) {
    TBackground sim = startBackground(o.sim, {"--record", "/dev/null"});
    if (sim.firstLine.rfind("/dev/", 0) != 0) {
        std::fprintf(stderr, "bench: %s did not print its port (\"%s\")\n", o.sim.c_str(),
                     sim.firstLine.c_str());
        stopBackground(sim);
        return {};
    }
    TChildUsage u = runMeasured(o.cli, {"update", "--port", sim.firstLine, "--quiet"});
    stopBackground(sim);
    return u;
}

bool parse(int argc, char** argv, TOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--runs" && hasValue)
            o.runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--echoes" && hasValue)
            o.echoes = std::max(0, std::atoi(argv[++i]));
        else if (a == "--cli" && hasValue)
            o.cli = argv[++i];
        else if (a == "--sim" && hasValue)
            o.sim = argv[++i];
        else {
            std::fprintf(stderr,
                         "usage: bench_update [--runs N] [--echoes N] [--cli PATH] [--sim PATH]\n");
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    TOptions o;
    if (!parse(argc, argv, o)) return 2;
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    std::fprintf(stderr, "bench: this is a sanitizer build; measure with the Release build "
                         "(bench/run_bench.sh)\n");
    return 2;
#endif
#ifndef NDEBUG
    std::fprintf(stderr, "bench: warning: not a Release build, the figures are not meaningful\n");
#endif

    std::printf("Full update of the print-38 image against the unpaced simulated logger\n");
    std::printf("(%d runs each, medians over the runs; load average %s on %u cores)\n\n", o.runs,
                loadAverage().c_str(), std::thread::hardware_concurrency());

    // 1. The session through the real serial backend, in this process, each
    //    run followed by as many bare round trips as it wrote records, so
    //    that both see the same load of the machine.  The per-record figure
    //    is a mean (a total divided by a count), so it is set against the
    //    mean round trip; the median shows the undisturbed round trip.
    std::vector<double> perRecord, perRecordSlept, wall, slept, echoMean, echoMedian;
    int records = 0;
    for (int i = 0; i < o.runs; ++i) {
        const TSessionRun r = runSession();
        if (!r.ok || r.records <= 0) return 2;
        records = r.records;
        wall.push_back(r.wallMs);
        perRecord.push_back((r.wallMs - cMandatedWaitMs) * 1000.0 / r.records);
        slept.push_back(r.sleptMs);
        perRecordSlept.push_back((r.wallMs - r.sleptMs) * 1000.0 / r.records);
        const std::vector<double> echo = measurePtyEcho(std::max(o.echoes, r.records));
        if (echo.empty()) {
            std::fprintf(stderr, "bench: the pseudo-terminal echo loop failed\n");
            return 2;
        }
        double sum = 0;
        for (double e : echo)
            sum += e;
        echoMean.push_back(sum / static_cast<double>(echo.size()));
        echoMedian.push_back(median(echo));
    }
    const double recordUs = median(perRecord);
    const double echoUs = median(echoMean);
    const bool recordMet = recordUs <= cRecordFactorGoal * echoUs;
    std::printf("session wall time         %9.1f ms  (mandated waits %.0f ms, %d data records)\n",
                median(wall), cMandatedWaitMs, records);
    std::printf("per record                %9.1f us  (wall time - waits) / records; %s\n", recordUs,
                range(perRecord, "%.1f").c_str());
    std::printf("  the waits as slept      %9.1f ms  (per record without them: %.1f us)\n",
                median(slept), median(perRecordSlept));
    std::printf("bare pty echo, 139 bytes  %9.1f us  mean; %s (median %.1f us)\n", echoUs,
                range(echoMean, "%.1f").c_str(), median(echoMedian));
    std::printf("  ratio %.2f, goal <= %.1f: %s\n\n", recordUs / echoUs, cRecordFactorGoal,
                verdict(recordMet));

    // 2. The real program against the real simulator program.
    std::vector<double> cpu, cliWall;
    std::vector<double> rss;
    for (int i = 0; i < o.runs; ++i) {
        const TChildUsage u = runCli(o);
        if (u.status != 0) {
            std::fprintf(stderr, "bench: %s update ended with status %d\n", o.cli.c_str(),
                         u.status);
            return 2;
        }
        cpu.push_back(u.cpuSeconds);
        cliWall.push_back(u.wallMs);
        rss.push_back(static_cast<double>(u.maxRssKiB));
    }
    const double cpuS = median(cpu);
    const double rssKiB = *std::max_element(rss.begin(), rss.end());
    const bool cpuMet = cpuS < cCpuGoalSeconds;
    const bool rssMet = rssKiB < cRssGoalKiB;
    std::printf("tarvek2-cli update        %9.1f ms  wall time\n", median(cliWall));
    std::printf("  CPU (user + system)     %9.3f s   goal < %.1f s: %s\n", cpuS, cCpuGoalSeconds,
                verdict(cpuMet));
    std::printf("  peak memory (maxrss)    %9.1f MB  goal < %.0f MB: %s\n", rssKiB / 1024.0,
                cRssGoalKiB / 1024.0, verdict(rssMet));

    const bool all = recordMet && cpuMet && rssMet;
    std::printf("\n%s\n", all ? "All goals met." : "A goal was missed.");
    return all ? 0 : 1;
}
