// Benchmark of updates against the line's pace (not a test): simulated
// loggers (tarvek2-sim, paced at 9600 baud both ways, as the real line),
// each written a cut-down image file by tarvek2-cli.
//
//  1. One logger, 80 data records, with the byte trace on: the time from one
//     record's echo to the next against the time the record and its echo
//     take on the line; goal: at most 1.002 of it.
//  2. N = 1, 4 and 8 loggers, 40 data records each, one command.  The line
//     sets the pace, so N loggers should take as long as one:
//     - wall time of the command at N against N = 1; goal: N = 8 within 5%;
//     - CPU time (user + system) and peak memory of tarvek2-cli at each N;
//       goal: CPU at N = 8 at most 1.0 s.  The read wakes once an answer is
//       in, but the kernel wakes the waiting thread for every byte that
//       arrives (about 0.8 s here); a read that returned to the program for
//       every byte cost 1.14 s, one that slept the line time 0.14 s at the
//       price of its latency.
//
// Prints the figures and whether each goal is met; exits 1 when one is
// missed, 2 when the benchmark itself cannot run.
#include "benchReport.h"
#include "childRun.h"
#include "recordTimes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int cBaud = 9600;
constexpr int cDataRecords = 40;
constexpr int cPacedRecords = 80;
constexpr double cRecordGoal = 1.002;
constexpr double cWallGoal = 1.05;
constexpr double cCpuGoalSeconds = 1.0;

enum class TOutcome { met, missed, cannotRun };

struct TOptions {
    int runs = 3;
    bool bRecords = true; // part 1
    bool bMulti = true;   // part 2
    std::vector<int> counts{1, 4, 8};
    std::string cli = TARVEK2_CLI;
    std::string sim = TARVEK2_SIM;
    std::string firmware = TARVEK2_FIRMWARE_DIR "/Tarvek2_V2_08_PF21_PR38_BL3_0.txt";
};

// The header of the print-38 image and its first data records, the vector
// table (block 0x03DF) among them, then the end line: an image the
// simulated logger's default identity accepts.
bool writeCutDownImage(const std::string& from, const fs::path& to, int records) {
    std::ifstream in(from);
    std::ofstream out(to);
    std::string line;
    for (int i = 0; i < 8 && std::getline(in, line); ++i)
        out << line << '\n';
    std::vector<std::string> data;
    std::string vectorTable;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 9 || line.compare(0, 3, ":40") != 0 || line.compare(7, 2, "00") != 0)
            continue;
        if (line.compare(3, 4, "03DF") == 0)
            vectorTable = line;
        else if (static_cast<int>(data.size()) < records - 1)
            data.push_back(line);
    }
    if (vectorTable.empty() || static_cast<int>(data.size()) < records - 1) return false;
    data.insert(data.begin() + records / 2, vectorTable); // in the middle, as in the file
    for (const auto& d : data)
        out << d << '\n';
    out << ":00000001FF\n";
    return static_cast<bool>(out);
}

// One command updating n simulated loggers; status -1 when it could not run.
TChildUsage runOnce(const TOptions& o, int n, const fs::path& image) {
    std::vector<TBackground> sims;
    std::vector<std::string> args{"update"};
    bool ok = true;
    for (int i = 0; i < n; ++i) {
        sims.push_back(startBackground(
            o.sim, {"--baud", std::to_string(cBaud), "--pace-input", "--record", "/dev/null"}));
        if (sims.back().firstLine.rfind("/dev/", 0) != 0) {
            std::fprintf(stderr, "bench: %s did not print its port\n", o.sim.c_str());
            ok = false;
            break;
        }
        args.insert(args.end(), {"--port", sims.back().firstLine});
    }
    TChildUsage u;
    if (ok) {
        args.insert(args.end(), {"--file", image.string(), "--quiet"});
        u = runMeasured(o.cli, args);
    }
    for (auto& s : sims)
        stopBackground(s);
    return u;
}

bool usage() {
    std::fprintf(
        stderr, "usage: bench_multi [--runs N] [--only records|multi] [--cli PATH] [--sim PATH]\n");
    return false;
}

bool parse(int argc, char** argv, TOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--runs" && hasValue)
            o.runs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--cli" && hasValue)
            o.cli = argv[++i];
        else if (a == "--sim" && hasValue)
            o.sim = argv[++i];
        else if (a == "--only" && hasValue) {
            const std::string part = argv[++i];
            o.bRecords = part == "records";
            o.bMulti = part == "multi";
            if (!o.bRecords && !o.bMulti) return usage();
        } else
            return usage();
    }
    return true;
}

// Part 1: one logger with the byte trace on; the mean time from one
// record's echo to the next against the line's time of a record.
TOutcome recordPace(const TOptions& o, const fs::path& dir) {
    const fs::path image = dir / "paced.txt";
    if (!writeCutDownImage(o.firmware, image, cPacedRecords)) {
        std::fprintf(stderr, "bench: cannot make the cut-down image from %s\n", o.firmware.c_str());
        return TOutcome::cannotRun;
    }
    std::printf("One logger paced at %d baud, %d data records, the byte trace on (%d runs, "
                "medians; load average %s)\n",
                cBaud, cPacedRecords, o.runs, loadAverage().c_str());
    std::vector<double> perRecord;
    double lineMs = 0;
    for (int r = 0; r < o.runs; ++r) {
        const fs::path trace = dir / ("trace-" + std::to_string(r) + ".txt");
        ::setenv("TARVEK2_TRACE", trace.c_str(), 1);
        const TChildUsage u = runOnce(o, 1, image);
        ::unsetenv("TARVEK2_TRACE");
        const TRecordTimes t = readRecordTimes(trace.string());
        if (u.status != 0 || static_cast<int>(t.echoInMs.size()) != cPacedRecords) {
            std::fprintf(stderr,
                         "bench: tarvek2-cli ended with status %d, %zu of %d record echoes in "
                         "its trace\n",
                         u.status, t.echoInMs.size(), cPacedRecords);
            return TOutcome::cannotRun;
        }
        lineMs = lineMsPerRecord(t.recordBytes, cBaud);
        perRecord.push_back(meanRecordMs(t));
    }
    const double ms = median(perRecord);
    const bool met = ms <= cRecordGoal * lineMs;
    const auto [lo, hi] = std::minmax_element(perRecord.begin(), perRecord.end());
    std::printf("per record %.2f ms (runs %.2f..%.2f), the line %.2f ms: %.4f of it, goal <= "
                "%.3f: %s\n\n",
                ms, *lo, *hi, lineMs, ms / lineMs, cRecordGoal, verdict(met));
    return met ? TOutcome::met : TOutcome::missed;
}

// Part 2: N loggers in one command.
TOutcome severalLoggers(const TOptions& o, const fs::path& dir) {
    const fs::path image = dir / "cut_down.txt";
    if (!writeCutDownImage(o.firmware, image, cDataRecords)) {
        std::fprintf(stderr, "bench: cannot make the cut-down image from %s\n", o.firmware.c_str());
        return TOutcome::cannotRun;
    }
    std::printf("Updates at once: N simulated loggers paced at %d baud, %d data records each, "
                "one tarvek2-cli command\n(%d runs each, medians; load average %s on %u "
                "cores)\n\n",
                cBaud, cDataRecords, o.runs, loadAverage().c_str(),
                std::thread::hardware_concurrency());
    std::printf("   N   wall time   vs N=1   CPU (user+sys)   peak memory\n");
    double wall1 = 0, wallLast = 0, cpuLast = 0;
    int nLast = 0;
    for (const int n : o.counts) {
        std::vector<double> wall, cpu, rss;
        for (int r = 0; r < o.runs; ++r) {
            const TChildUsage u = runOnce(o, n, image);
            if (u.status != 0) {
                std::fprintf(stderr, "bench: tarvek2-cli with %d loggers ended with status %d\n", n,
                             u.status);
                return TOutcome::cannotRun;
            }
            wall.push_back(u.wallMs);
            cpu.push_back(u.cpuSeconds);
            rss.push_back(static_cast<double>(u.maxRssKiB));
        }
        const double w = median(wall);
        if (n == o.counts.front()) wall1 = w;
        std::printf("%4d  %8.0f ms   %6.3f   %10.3f s    %7.1f MB\n", n, w, w / wall1, median(cpu),
                    *std::max_element(rss.begin(), rss.end()) / 1024.0);
        wallLast = w;
        cpuLast = median(cpu);
        nLast = n;
    }
    const bool wallMet = wallLast <= cWallGoal * wall1;
    const bool cpuMet = cpuLast <= cCpuGoalSeconds;
    std::printf("\nwall time at N=%d / N=1: %.3f, goal <= %.2f: %s\n", nLast, wallLast / wall1,
                cWallGoal, verdict(wallMet));
    std::printf("CPU at N=%d: %.3f s, goal <= %.1f s: %s\n", nLast, cpuLast, cCpuGoalSeconds,
                verdict(cpuMet));
    return wallMet && cpuMet ? TOutcome::met : TOutcome::missed;
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
    // --file needs the internal mode: a settings folder of the benchmark's own.
    const fs::path dir =
        fs::temp_directory_path() / ("tarvek2-bench-multi-" + std::to_string(::getpid()));
    fs::create_directories(dir / "Quorvane");
    std::ofstream(dir / "Quorvane" / "Vorn.conf") << "[General]\nintern=7361\n";
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);

    TOutcome records = TOutcome::met, multi = TOutcome::met;
    if (o.bRecords) records = recordPace(o, dir);
    if (o.bMulti && records != TOutcome::cannotRun) multi = severalLoggers(o, dir);
    fs::remove_all(dir);
    if (records == TOutcome::cannotRun || multi == TOutcome::cannotRun) return 2;
    const bool all = records == TOutcome::met && multi == TOutcome::met;
    std::printf("\n%s\n", all ? "All goals met." : "A goal was missed.");
    return all ? 0 : 1;
}
