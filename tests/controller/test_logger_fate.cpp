// What became of the logger, as the controller tells it at the end of a run:
// whether it was switched into its bootloader, how many records it took and
// where it waits.  Real sessions against the scripted logger on a fake clock,
// one case per way a run ends.
#include "controller/uUpdateController.h"
#include "fake_clock.h"
#include "fake_front_end.h"
#include "images/uImageCheck.h"
#include "scripted_logger.h"
#include "session/uExceptions1V0.h"
#include "session/uTarvekCommThread.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using TEntry = TBootloaderEntry;
using TPlace = TLoggerPlace;

struct FateCase {
    const char* name;
    std::function<void(TScriptedIdentity&)> identity; // the logger as it starts; may be empty
    // Called with every exchange; may change the answer or press "Cancel".
    std::function<void(TExchange&, TScriptedLogger&, TUpdateController&)> fault;
    bool infoOnly;
    int maxRestarts;
    TNotification final;
    TEntry entry;
    TPlace place;
    bool writingBegun;
    bool exact;
    // Records the logger took, between these; -1 stands for all of the
    // image's, -2 for all but one.
    int recordsMin;
    int recordsMax;
    bool restartUnconfirmed;
};

// The record after which "Cancel" is pressed, and the records of one percent
// of the built-in image: the count is read from the progress steps.
constexpr int kCancelAfter = 600;
constexpr int kRecordsPerPercent = 24;

void silence(TExchange& e) {
    e.answer.clear();
}

class LoggerFate : public ::testing::TestWithParam<FateCase> {};

TEST_P(LoggerFate, IsToldFromTheNotificationsAtEveryEnd) {
    const FateCase& c = GetParam();
    TFakeClock clock;
    TScriptedIdentity id;
    if (c.identity) c.identity(id);
    TScriptedLogger logger{clock, id};
    TFakeFrontEnd fe;
    TControllerSetup setup;
    setup.options = readProgramOptions({"tarvek2-cli"}, false);
    setup.policy.askQuestions = false;
    setup.policy.maxRestarts = c.maxRestarts;
    setup.clock = &clock;
    setup.opener = logger.opener();
    setup.commThreadClass = [](TSessionContext context) -> std::unique_ptr<TCommThread> {
        CommThreadClass(std::move(context))->Execute();
        return nullptr;
    };
    TUpdateController controller(fe, std::move(setup));
    if (c.fault) logger.fault = [&](TExchange& e) { c.fault(e, logger, controller); };
    ASSERT_TRUE(controller.updateClicked("COM5", c.infoOnly));
    while (fe.outcomes.empty() && fe.pump(controller) > 0)
        if (controller.restartPending()) controller.timerElapsed();
    ASSERT_EQ(fe.outcomes.size(), 1u);
    const TSessionOutcome& o = fe.outcomes[0];
    EXPECT_EQ(o.final, c.final);

    const TLoggerFate& f = o.fate;
    EXPECT_EQ(f.bootloader, c.entry);
    EXPECT_EQ(f.place, c.place);
    EXPECT_EQ(f.writingBegun, c.writingBegun);
    EXPECT_EQ(f.recordsExact, c.exact);
    EXPECT_EQ(f.restartUnconfirmed, c.restartUnconfirmed);
    // The image's records: its data records, the vector table's among them.
    TFWCatalog builtin;
    builtin.iSelectedFW = 1;
    const TImageCheckResult image = checkImage(
        builtin.getLastLine(), [&](int i, std::string& l) { return builtin.getLine(i, l); });
    EXPECT_EQ(f.recordsTotal, c.writingBegun ? image.dataRecords : 0);
    const auto bound = [&](int n) { return n < 0 ? f.recordsTotal + 1 + n : n; };
    const int lo = bound(c.recordsMin);
    const int hi = bound(c.recordsMax);
    EXPECT_GE(f.recordsWritten, lo);
    EXPECT_LE(f.recordsWritten, hi);
    // The count never claims more than the logger echoed.
    EXPECT_LE(f.recordsWritten, static_cast<int>(logger.writtenBlocks.size()));
    EXPECT_EQ(controller.state().fate, f);
}

INSTANTIATE_TEST_SUITE_P(
    Controller, LoggerFate,
    ::testing::Values(
        FateCase{"success",
                 {},
                 {},
                 false,
                 0,
                 {cNT_DONE, 0},
                 TEntry::switched,
                 TPlace::application,
                 true,
                 true,
                 -1,
                 -1,
                 false},
        // Cancelled halfway: at least what the last progress step counted.
        FateCase{"cancel_after_some_records",
                 {},
                 [](TExchange& e, TScriptedLogger&, TUpdateController& c) {
                     if (e.kind == TExchange::dataRecord && e.recordIndex == kCancelAfter)
                         c.cancelClicked();
                 },
                 false,
                 0,
                 {cNT_ABORT, cEX_CANCELLED},
                 TEntry::switched,
                 TPlace::bootloader,
                 true,
                 false,
                 kCancelAfter + 1 - kRecordsPerPercent,
                 kCancelAfter + 1,
                 false},
        FateCase{"info",
                 {},
                 {},
                 true,
                 0,
                 {cNT_ABORT, cEX_INFO_ONLY},
                 TEntry::switched,
                 TPlace::bootloader,
                 false,
                 true,
                 0,
                 0,
                 false},
        FateCase{"info_met_in_its_bootloader",
                 [](TScriptedIdentity& id) { id.inBootloader = true; },
                 {},
                 true,
                 0,
                 {cNT_ABORT, cEX_INFO_ONLY},
                 TEntry::alreadyIn,
                 TPlace::bootloader,
                 false,
                 true,
                 0,
                 0,
                 false},
        FateCase{"no_fitting_image",
                 [](TScriptedIdentity& id) { id.updateInfo = 0x1234; },
                 {},
                 false,
                 0,
                 {cNT_ABORT, cEX_UPID_MISMATCH},
                 TEntry::switched,
                 TPlace::bootloader,
                 false,
                 true,
                 0,
                 0,
                 false},
        FateCase{"never_answers",
                 {},
                 [](TExchange& e, TScriptedLogger&, TUpdateController&) { silence(e); },
                 false,
                 1,
                 {cNT_REPEAT_COMM, 0},
                 TEntry::notSwitched,
                 TPlace::unknown,
                 false,
                 true,
                 0,
                 0,
                 false},
        // The switch went out, the logger said nothing after it.
        FateCase{"silent_after_the_switch",
                 {},
                 [](TExchange& e, TScriptedLogger& l, TUpdateController&) {
                     if (l.switched) silence(e);
                 },
                 false,
                 0,
                 {cNT_REPEAT_COMM, 0},
                 TEntry::maybeSwitched,
                 TPlace::unknown,
                 false,
                 true,
                 0,
                 0,
                 false},
        // A restart after a communication error meets it in its bootloader:
        // this run switched it there.
        FateCase{"silent_once_after_the_switch_then_done",
                 {},
                 [](TExchange& e, TScriptedLogger& l, TUpdateController&) {
                     if (l.switched && l.opens == 1) silence(e);
                 },
                 false,
                 1,
                 {cNT_DONE, 0},
                 TEntry::switched,
                 TPlace::application,
                 true,
                 true,
                 -1,
                 -1,
                 false},
        FateCase{"stays_in_its_application",
                 [](TScriptedIdentity& id) { id.staysInApp = true; },
                 {},
                 false,
                 0,
                 {cNT_ABORT, cEX_NO_UPDATE},
                 TEntry::didNotEnter,
                 TPlace::application,
                 false,
                 true,
                 0,
                 0,
                 false},
        FateCase{"not_of_the_family",
                 [](TScriptedIdentity& id) { id.appClass = 0x6617; },
                 {},
                 false,
                 0,
                 {cNT_ABORT, cEX_NO_UPDATE},
                 TEntry::notSwitched,
                 TPlace::application,
                 false,
                 true,
                 0,
                 0,
                 false},
        // The echo of one record differed: exactly the records before it.
        FateCase{"echo_differs",
                 {},
                 [](TExchange& e, TScriptedLogger&, TUpdateController&) {
                     if (e.kind == TExchange::dataRecord && e.recordIndex == 100)
                         e.answer = TScriptedLogger::record(e.block, 0x00,
                                                            std::vector<std::uint8_t>(64, 0x22));
                 },
                 false,
                 0,
                 {cNT_ABORT, cEX_PROG_REPEAT},
                 TEntry::switched,
                 TPlace::bootloader,
                 true,
                 true,
                 100,
                 100,
                 false},
        // Cancelled in the wait for the restart: the finish went out.  The
        // vector table's echo comes after the last notification that counts.
        FateCase{"cancel_after_the_finish",
                 {},
                 [](TExchange& e, TScriptedLogger&, TUpdateController& c) {
                     if (e.kind == TExchange::blCommand && e.command == 0x33) c.cancelClicked();
                 },
                 false,
                 0,
                 {cNT_ABORT, cEX_CANCELLED},
                 TEntry::switched,
                 TPlace::unknown,
                 true,
                 false,
                 -2,
                 -1,
                 true},
        // The restarted logger still answers from its bootloader.
        FateCase{"restarted_into_its_bootloader",
                 [](TScriptedIdentity& id) { id.classAfterRestart = 0xC802; },
                 {},
                 false,
                 0,
                 {cNT_ABORT, cEX_UPDATE_FAILED},
                 TEntry::switched,
                 TPlace::bootloader,
                 true,
                 true,
                 -1,
                 -1,
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

// The outcome of a run whose logger kept not answering says so, once no
// restart is left; the report keeps the session's own line.
TEST(LoggerFateTexts, NoRestartLeftAfterSilenceSaysTheLoggerDidNotAnswer) {
    TFakeFrontEnd fe;
    TControllerSetup setup;
    setup.policy.askQuestions = false;
    setup.policy.maxRestarts = 0;
    setup.commThreadClass = [](TSessionContext) { return std::unique_ptr<TCommThread>(); };
    TUpdateController c(fe, std::move(setup));
    ASSERT_TRUE(c.updateClicked("COM5", false));
    c.notify({cNT_REPEAT_COMM, 0});
    ASSERT_EQ(fe.outcomes.size(), 1u);
    EXPECT_TRUE(fe.outcomes[0].restartsUsedUp);
    EXPECT_EQ(fe.outcomes[0].rendering.text, cNoAnswerText);
    EXPECT_EQ(fe.calls.at(fe.calls.size() - 2), "R:Repeat update because communication error!");
}

} // namespace
