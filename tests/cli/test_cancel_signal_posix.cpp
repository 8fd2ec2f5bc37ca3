// What a first and a second signal do to tarvek2-cli: a cancel that reaches
// the sessions' flags, or the end at once.
#include "cli/run/cancelFlags.h"
#include "cli/run/cancelSignal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <vector>

namespace {

struct SignalsCase {
    const char* name;
    std::vector<int> signals; // raised one after the other
    // 0: the cancel reached the flags and the program goes on; else the
    // signal that ended it at once.
    int endedBy;
};

class CancelSignals : public ::testing::TestWithParam<SignalsCase> {};

// Each case runs in a child process of its own: the handler is the
// process's.
TEST_P(CancelSignals, FirstCancelsSecondEndsAtOnceARepeatedHangupDoesNot) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto& c = GetParam();
    EXPECT_EXIT(
        {
            static std::atomic<bool> interrupted{false};
            installCancelHandler(interrupted);
            TCancelFlag session;
            for (const int sig : c.signals)
                std::raise(sig);
            std::_Exit(interrupted && session.flag() ? 20 : 1);
        },
        [&c](int status) {
            return c.endedBy == 0 ? ::testing::ExitedWithCode(20)(status)
                                  : ::testing::KilledBySignal(c.endedBy)(status);
        },
        "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, CancelSignals,
    ::testing::Values(SignalsCase{"CtrlC", {SIGINT}, 0}, SignalsCase{"Term", {SIGTERM}, 0},
                      SignalsCase{"Hangup", {SIGHUP}, 0},
                      SignalsCase{"CtrlCTwice", {SIGINT, SIGINT}, SIGINT},
                      SignalsCase{"TermAfterCtrlC", {SIGINT, SIGTERM}, SIGTERM},
                      SignalsCase{"TermAfterHangup", {SIGHUP, SIGTERM}, SIGTERM},
                      // A closed terminal may be told by the system and by the shell.
                      SignalsCase{"HangupTwice", {SIGHUP, SIGHUP}, 0},
                      SignalsCase{"HangupAfterTerm", {SIGTERM, SIGHUP}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
