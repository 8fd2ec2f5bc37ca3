// The update controller on a fake clock: what every notification does to the
// state, the texts and the controls in both modes; the question before an
// update; restarts and the cancel flag across them; closing while busy; the
// file slot; the outcome a command-line front end prints.
#include "controller/uTimeLeft.h"
#include "fake_clock.h"
#include "fake_front_end.h"
#include "scripted_logger.h"
#include "session/uExceptions1V0.h"
#include "session/uTarvekCommThread.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <future>

namespace {

using Calls = std::vector<std::string>;

// The mode of the operator's program: normal, or internal with "f:+".
enum class Mode { normal, internal };

TControllerSetup setupFor(Mode mode) {
    TControllerSetup setup;
    setup.options = readProgramOptions({"tarvek2-update", "f:+"}, mode == Mode::internal);
    return setup;
}

// The controls of the idle and of the busy state.
void expectControls(const TControllerState& s, bool busy, Mode mode, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(s.busy, busy);
    EXPECT_EQ(s.updateEnabled, !busy);
    EXPECT_EQ(s.closeShown, !busy);
    EXPECT_EQ(s.cancelShown, busy);
    EXPECT_EQ(s.portEnabled, !busy);
    EXPECT_EQ(s.fileEnabled, !busy);
    EXPECT_EQ(s.busyCursor, busy);
    EXPECT_EQ(s.fileShown, mode == Mode::internal);
    EXPECT_EQ(s.readInfoOnlyShown, mode == Mode::internal);
    EXPECT_EQ(s.reportShown, mode == Mode::internal);
    if (!busy) {
        EXPECT_EQ(s.title, cAppTitle);
        EXPECT_EQ(s.remainingMs, -1);
    }
}

// --- Every notification, in both modes -------------------------------------

Calls operator+(Calls a, const Calls& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Calls rsm(const std::string& t) {
    return {"R:" + t, "S:" + t, "M:" + t};
}
Calls r(const std::string& t) {
    return {"R:" + t};
}

struct NotifyCase {
    const char* name;
    TNotification n;
    Calls calls;    // what the front end is told, in order
    bool busyAfter; // still busy (or busy again after a restart)
    int progress;   // -1: unchanged (0 from the start)
    std::string title;
    int sessions; // sessions started in all
};

const std::string kStart = "Start at serial port \"COM7\"";

class EveryNotification : public ::testing::TestWithParam<std::tuple<NotifyCase, Mode>> {};

TEST_P(EveryNotification, GivesItsStateTextsAndControls) {
    const auto& [c, mode] = GetParam();
    TFakeFrontEnd fe;
    int sessions = 0;
    TControllerSetup setup = setupFor(mode);
    setup.commThreadClass = [&](TSessionContext) -> std::unique_ptr<TCommThread> {
        ++sessions;
        return nullptr;
    };
    TUpdateController controller(fe, std::move(setup));
    ASSERT_TRUE(controller.updateClicked("COM7", false));
    const Calls question = {"Q:" + std::string(cAskSaveMeasurements)};
    const Calls start = {"clear", "R:" + kStart, "S:" + kStart, "start"};
    EXPECT_EQ(fe.calls, (mode == Mode::normal ? question : Calls()) + start);
    expectControls(controller.state(), true, mode, "after Update");
    EXPECT_EQ(controller.state().status, kStart);
    controller.catalog().iSelectedFW = 2;
    fe.calls.clear();

    controller.notify(c.n);
    EXPECT_EQ(fe.calls, c.calls);
    const TControllerState& s = controller.state();
    expectControls(s, c.busyAfter, mode, "after the notification");
    EXPECT_EQ(s.progress, c.progress < 0 ? 0 : c.progress);
    EXPECT_EQ(s.title, c.title);
    EXPECT_EQ(sessions, c.sessions);
    // A message window opens only when the controls are idle again.
    for (const bool busy : fe.busyAtMessage)
        EXPECT_FALSE(busy);
    EXPECT_EQ(fe.notifiedKinds, std::vector<TNotification>{c.n});
}

NotifyCase abortCase(const char* name, int reason, const std::string& text) {
    return {
        name, {cNT_ABORT, reason}, Calls{"beep"} + rsm(text) + Calls{"ended"}, false, -1, cAppTitle,
        1};
}

const std::string kApp = cAppTitle;

INSTANTIATE_TEST_SUITE_P(
    Controller, EveryNotification,
    ::testing::Combine(
        ::testing::Values(
            NotifyCase{"progress", {cNT_PROGRESS, 37}, r("Progress 37%"), true, 37, "37%", 1},
            NotifyCase{"class", {cNT_CLASS, 0x6621}, r("Class 26145 [Tarvekx]"), true, -1, kApp, 1},
            NotifyCase{"version", {cNT_VERSION, 0x0208}, r("Version 2.8"), true, -1, kApp, 1},
            NotifyCase{
                "platform", {cNT_PLATFORM, 21}, r("Platform 21 [F5438 WD2]"), true, -1, kApp, 1},
            NotifyCase{"print", {cNT_PRINT, 47}, r("Print 47 [A10g WLAN UART]"), true, -1, kApp, 1},
            NotifyCase{"info", {cNT_INFO, 258}, r("Info 258"), true, -1, kApp, 1},
            NotifyCase{"update_class",
                       {cNT_UPDATE_CLASS, 0x6621},
                       r("Update class 26145 [Tarvekx]"),
                       true,
                       -1,
                       kApp,
                       1},
            NotifyCase{
                "update_info", {cNT_UPDATE_INFO, 0xFFFE}, r("Update Info FFFE"), true, -1, kApp, 1},
            NotifyCase{"check_image",
                       {cNT_CHECK_IMAGE, 1},
                       r("Check Tarvek2 V2.08, A10e WLAN UART, BL3.0"),
                       true,
                       -1,
                       kApp,
                       1},
            NotifyCase{"update_image",
                       {cNT_UPDATE_IMAGE, 0},
                       {"R:Update Tarvek2 V2.08, A10g WLAN UART, BL3.0",
                        "S:Update Tarvek2 V2.08, A10g WLAN UART, BL3.0"},
                       true,
                       -1,
                       kApp,
                       1},
            NotifyCase{"vector_table_saved",
                       {cNT_VECTOR_TABLE, 0},
                       r("Vector table is saved."),
                       true,
                       -1,
                       kApp,
                       1},
            NotifyCase{"vector_table_other", {cNT_VECTOR_TABLE, 2}, {}, true, -1, kApp, 1},
            NotifyCase{"unknown_kind", {2, 5}, {}, true, -1, kApp, 1},
            NotifyCase{"prog_error_line",
                       {cNT_PROG_ERROR_LINE, 12},
                       {"R:Aborted because programming error at line 12 !",
                        "S:Aborted because programming error at line 12 !"},
                       true,
                       -1,
                       kApp,
                       1},
            NotifyCase{"conv_error_line",
                       {cNT_CONV_ERROR_LINE, 7},
                       r("Aborted because conversion error at line  7 !"),
                       true,
                       -1,
                       kApp,
                       1},
            NotifyCase{"done",
                       {cNT_DONE, 0},
                       rsm("Update Tarvek2 V2.08 succesfully completed.") + Calls{"ended"},
                       false,
                       100,
                       kApp,
                       1},
            // Busy through the wait, the status bar first; the timer restarts.
            NotifyCase{"repeat_comm",
                       {cNT_REPEAT_COMM, 0},
                       {"S:Repeat update because communication error!",
                        "R:Repeat update because communication error!", "timer:1500"},
                       true,
                       -1,
                       kApp,
                       1},
            abortCase("port_not_ready", cEX_PORT_NOT_READY,
                      "Aborted because serial port \"COM7\" is not ready!"),
            abortCase("port_io", cEX_PORT_IO,
                      "Aborted because error when reading/writing to serial port!"),
            abortCase("cancelled", cEX_CANCELLED, "Process cancelled!"),
            abortCase("no_update", cEX_NO_UPDATE,
                      "Aborted because no update is available for this logger!"),
            abortCase("logger_not_ready", cEX_LOGGER_NOT_READY,
                      "Aborted because the logger is not ready!"),
            abortCase("last_line", cEX_LAST_LINE, "Aborted because last line is wrong !"),
            NotifyCase{"conversion",
                       {cNT_ABORT, cEX_CONVERSION},
                       {"beep", "M:Aborted because conversion error!", "ended"},
                       false,
                       -1,
                       kApp,
                       1},
            // Idle, beep, R and S, then at once a new session (not cleared).
            NotifyCase{"prog_repeat",
                       {cNT_ABORT, cEX_PROG_REPEAT},
                       {"beep", "R:Repeat because programming error!",
                        "S:Repeat because programming error!", "R:" + kStart, "S:" + kStart,
                        "start"},
                       true,
                       0,
                       kApp,
                       2},
            abortCase("update_failed", cEX_UPDATE_FAILED, "Update was not successfull!"),
            abortCase("invalid_answer", cEX_INVALID_ANSWER,
                      "Aborted because the logger transmitted an invalid answer!"),
            abortCase("upid_mismatch", cEX_UPID_MISMATCH,
                      "There is no update available or the logger has another update ID!"),
            abortCase("info_only", cEX_INFO_ONLY, "Only read update info!"),
            abortCase("not_an_evorn", 0, "Fatal Exception has occurred!")),
        ::testing::Values(Mode::normal, Mode::internal)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) == Mode::normal ? "_normal" : "_internal");
    });

// --- The question before "Update" -------------------------------------------

struct QuestionCase {
    const char* name;
    std::vector<std::string> args;
    bool intern;
    bool askQuestions;
    const char* question; // nullptr: none
};

class QuestionBeforeUpdate : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(QuestionBeforeUpdate, IsAskedAndNoStartsNothing) {
    const auto& c = GetParam();
    for (const bool yes : {false, true}) {
        TFakeFrontEnd fe;
        fe.answer = yes;
        int sessions = 0;
        TControllerSetup setup;
        setup.options = readProgramOptions(c.args, c.intern);
        setup.policy.askQuestions = c.askQuestions;
        setup.commThreadClass = [&](TSessionContext) -> std::unique_ptr<TCommThread> {
            ++sessions;
            return nullptr;
        };
        TUpdateController controller(fe, std::move(setup));
        const bool started = controller.updateClicked("COM7", false);
        const bool asked = !fe.calls.empty() && fe.calls.front().rfind("Q:", 0) == 0;
        EXPECT_EQ(asked, c.question != nullptr);
        if (c.question) {
            EXPECT_EQ(fe.calls.front(), "Q:" + std::string(c.question));
        }
        const bool expectStart = yes || !c.question;
        EXPECT_EQ(started, expectStart);
        EXPECT_EQ(sessions, expectStart ? 1 : 0);
        EXPECT_EQ(controller.state().busy, expectStart);
        // A second click while busy starts nothing and asks nothing.
        const auto calls = fe.calls.size();
        EXPECT_FALSE(expectStart && controller.updateClicked("COM7", false));
        if (expectStart) {
            EXPECT_EQ(fe.calls.size(), calls);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Controller, QuestionBeforeUpdate,
    ::testing::Values(QuestionCase{"normal", {"p"}, false, true, cAskSaveMeasurements},
                      QuestionCase{"clear_warning", {"p", "mf:+"}, false, true, cAskClearWarning},
                      QuestionCase{"internal", {"p"}, true, true, nullptr},
                      QuestionCase{
                          "internal_clear_warning", {"p", "mf:+"}, true, true, cAskClearWarning},
                      QuestionCase{"command_line_policy", {"p", "mf:+"}, false, false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Real sessions against the scripted logger -------------------------------

// Sessions run to their end inside the factory, on the test's thread, with
// the fake clock; their notifications wait in the front end's queue until
// pumped.  What each session was started with is noted.
class ControllerSessions : public ::testing::Test {
  protected:
    TFakeClock clock;
    TScriptedLogger logger{clock};
    TFakeFrontEnd fe;
    struct Started {
        std::string port;
        int selected;
        bool cancel;
        bool infoOnly;
    };
    std::vector<Started> started;
    std::unique_ptr<TUpdateController> controller;

    void make(Mode mode = Mode::internal, TControllerPolicy policy = {}) {
        TControllerSetup setup = setupFor(mode);
        setup.policy = policy;
        setup.clock = &clock;
        setup.opener = logger.opener();
        setup.commThreadClass = [this](TSessionContext c) -> std::unique_ptr<TCommThread> {
            started.push_back(
                {c.sPort, c.catalog->iSelectedFW.load(), c.bCancel->load(), c.settings.bInfoOnly});
            CommThreadClass(std::move(c))->Execute();
            return nullptr;
        };
        controller = std::make_unique<TUpdateController>(fe, std::move(setup));
    }
    int count(const std::string& call) const {
        return static_cast<int>(std::count(fe.calls.begin(), fe.calls.end(), call));
    }
    static void silence(TExchange& e) { e.answer.clear(); }
    static void wrongEcho(TExchange& e) {
        if (e.kind == TExchange::dataRecord)
            e.answer = TScriptedLogger::record(e.block, 0x00, std::vector<std::uint8_t>(64, 0x22));
    }
};

TEST_F(ControllerSessions, FullUpdateEndsIdleWithTheOutcome) {
    make();
    ASSERT_TRUE(controller->updateClicked("COM5", false));
    fe.pump(*controller);
    const TControllerState& s = controller->state();
    expectControls(s, false, Mode::internal, "done");
    EXPECT_EQ(s.progress, 100);
    EXPECT_EQ(fe.calls.back(), "ended");
    ASSERT_EQ(fe.outcomes.size(), 1u);
    const TSessionOutcome& o = fe.outcomes[0];
    EXPECT_EQ(o.final, (TNotification{cNT_DONE, 0}));
    EXPECT_EQ(o.restarts, 0);
    EXPECT_FALSE(o.restartsUsedUp);
    EXPECT_EQ(o.selectedFW, 1);
    EXPECT_EQ(o.elapsedMs, clock.now.load());
    EXPECT_TRUE(o.hint.empty());
    EXPECT_FALSE(o.refused);
    EXPECT_EQ(fe.calls.front(), "clear");
    EXPECT_EQ(count("M:Update Tarvek2 V2.08 succesfully completed."), 1);

    // The facts a front end shows, as the logger told them: it answered
    // with its application's class first, the bootloader told the class the
    // update is for.
    const TScriptedIdentity told;
    TLoggerIdentity expected;
    expected.firstClass = told.appClass;
    expected.updateClass = told.updateClass;
    expected.firstVersion = told.appVersion;
    expected.version = told.blVersion;
    expected.platform = told.platform;
    expected.print = told.print;
    expected.info = told.info;
    expected.updateInfo = told.updateInfo;
    expected.printTold = true;
    EXPECT_EQ(o.logger, expected);
    EXPECT_EQ(s.logger, expected);
    EXPECT_EQ(loggerName(o.logger), "Tarvek2 A10e WLAN UART");
    const TChosenImage image{1, controller->catalog().getFWHeader(1)};
    EXPECT_EQ(o.image, image);
    EXPECT_EQ(s.image, image);
    EXPECT_EQ(o.image.header.vorn_print, told.print);

    // The report's time stamps come from the controller's clock.
    ASSERT_FALSE(fe.reportLines.empty());
    EXPECT_EQ(fe.reportLines.front(), "07-06-45 -> Start at serial port \"COM5\"");
    const std::tm end = clock.localNow();
    EXPECT_EQ(fe.reportLines.back(),
              reportLine(end, "Update Tarvek2 V2.08 succesfully completed."));
    EXPECT_EQ(o.endTime.tm_sec, end.tm_sec);
    EXPECT_EQ(o.endTime.tm_min, end.tm_min);
}

// A run learns its facts afresh: a new "Update" forgets the last logger and
// image until the session tells them again.
TEST_F(ControllerSessions, FactsBelongToOneRun) {
    make();
    ASSERT_TRUE(controller->updateClicked("COM5", false));
    fe.pump(*controller);
    ASSERT_TRUE(controller->state().image.chosen());
    logger.fault = silence; // the next logger never answers
    ASSERT_TRUE(controller->updateClicked("COM5", false));
    EXPECT_EQ(controller->state().logger, TLoggerIdentity{});
    EXPECT_FALSE(controller->state().image.chosen());
    controller->cancelClicked();
    fe.pump(*controller);
}

// The time left: the writing's pace since the image was announced, and the
// waits after the last record.
TEST(ControllerTimeLeft, FollowsTheWritingAndEndsWithTheSession) {
    TFakeClock clock;
    TFakeFrontEnd fe;
    TControllerSetup setup = setupFor(Mode::internal);
    setup.clock = &clock;
    setup.commThreadClass = [](TSessionContext) { return std::unique_ptr<TCommThread>(); };
    TUpdateController c(fe, std::move(setup));
    ASSERT_TRUE(c.updateClicked("COM5", false));
    clock.advance(3000); // identification: not part of the pace
    c.notify({cNT_PROGRESS, 5});
    EXPECT_EQ(c.state().remainingMs, -1); // no writing yet
    c.notify({cNT_UPDATE_IMAGE, 0});
    clock.advance(10000);
    c.notify({cNT_PROGRESS, 20});
    EXPECT_EQ(c.state().remainingMs, 10000 * 79 / 20 + cWaitsAfterLastRecordMs);
    EXPECT_EQ(c.state().title, "20%");
    // Between the steps the estimate counts down.
    clock.advance(2000);
    EXPECT_EQ(c.state().remainingAt(clock.nowMs()),
              10000 * 79 / 20 + cWaitsAfterLastRecordMs - 2000);
    clock.advance(37500);
    c.notify({cNT_PROGRESS, 99});
    EXPECT_EQ(c.state().remainingMs, cWaitsAfterLastRecordMs);
    // The waits after the last record bring no step: the time left still
    // moves through them, and a notification without progress (the vector
    // table's record) does not set it back.
    clock.advance(300);
    c.notify({cNT_VECTOR_TABLE, 1});
    clock.advance(cFinishPauseMs + 1000);
    EXPECT_EQ(c.state().remainingAt(clock.nowMs()),
              cWaitsAfterLastRecordMs - 300 - cFinishPauseMs - 1000);
    EXPECT_EQ(c.state().remainingAt(clock.nowMs() + 60000), 0); // never below 0
    c.notify({cNT_DONE, 0});
    EXPECT_EQ(c.state().remainingMs, -1);
    EXPECT_EQ(c.state().remainingAt(clock.nowMs()), -1);
    EXPECT_EQ(c.state().progress, 100);
    EXPECT_EQ(fe.outcomes.at(0).elapsedMs, 52500 + 300 + cFinishPauseMs + 1000);
}

TEST_F(ControllerSessions, CommErrorRestartsAfterTheTimerWithThePortAndReportKept) {
    make();
    logger.fault = [&](TExchange& e) {
        if (logger.opens == 1) silence(e);
    };
    ASSERT_TRUE(controller->updateClicked("COM5", false));
    fe.pump(*controller);
    EXPECT_TRUE(controller->restartPending());
    EXPECT_EQ(fe.calls.back(), "timer:1500");
    expectControls(controller->state(), true, Mode::internal, "in the wait");
    EXPECT_EQ(logger.opens, 1);

    controller->timerElapsed();
    fe.pump(*controller);
    EXPECT_EQ(logger.opens, 2);
    EXPECT_EQ(count("clear"), 1); // only the operator's start cleared the report
    EXPECT_EQ(count("R:Start at serial port \"COM5\""), 2);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1].port, "COM5");
    EXPECT_EQ(started[1].selected, -1);
    ASSERT_EQ(fe.outcomes.size(), 1u);
    EXPECT_EQ(fe.outcomes[0].final, (TNotification{cNT_DONE, 0}));
    EXPECT_EQ(fe.outcomes[0].restarts, 1);
    // A late timer does nothing.
    controller->timerElapsed();
    EXPECT_EQ(started.size(), 2u);
}

TEST_F(ControllerSessions, CancelInTheRestartWaitEndsTheNewSessionBeforeItWrites) {
    make();
    logger.fault = silence;
    ASSERT_TRUE(controller->updateClicked("COM5", false));
    fe.pump(*controller);
    ASSERT_TRUE(controller->restartPending());
    const int writes = logger.writes;

    controller->cancelClicked();
    expectControls(controller->state(), true, Mode::internal, "cancel in the wait");
    controller->timerElapsed();
    fe.pump(*controller);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_TRUE(started[1].cancel); // the kept flag is in place before the thread starts
    EXPECT_EQ(logger.writes, writes);
    EXPECT_EQ(logger.opens, logger.closes);
    expectControls(controller->state(), false, Mode::internal, "cancelled");
    EXPECT_EQ(std::vector<std::string>(fe.calls.end() - 5, fe.calls.end()),
              (Calls{"beep", "R:Process cancelled!", "S:Process cancelled!", "M:Process cancelled!",
                     "ended"}));
}

struct ProgRepeatCase {
    const char* name;
    bool keepCancelOnProgRestart;
    bool newSessionCancelled;
};

class ProgRepeat : public ControllerSessions,
                   public ::testing::WithParamInterface<ProgRepeatCase> {};

// After an echo that differed the session starts again at once; whether a
// cancel given during the failed session survives is the front end's policy.
TEST_P(ProgRepeat, RestartsAtOnceAndTheCancelFollowsThePolicy) {
    const auto c = GetParam();
    TControllerPolicy policy;
    policy.keepCancelOnProgRestart = c.keepCancelOnProgRestart;
    make(Mode::internal, policy);
    logger.fault = [&](TExchange& e) {
        if (logger.opens == 1 && e.kind == TExchange::dataRecord) {
            wrongEcho(e);
            controller->cancelClicked(); // during the failed session
        }
    };
    ASSERT_TRUE(controller->updateClicked("COM5", false));
    fe.pump(*controller); // the abort, at once the restart, and its end
    EXPECT_EQ(count("timer:1500"), 0);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1].cancel, c.newSessionCancelled);
    ASSERT_EQ(fe.outcomes.size(), 1u);
    const TNotification expected = c.newSessionCancelled ? TNotification{cNT_ABORT, cEX_CANCELLED}
                                                         : TNotification{cNT_DONE, 0};
    EXPECT_EQ(fe.outcomes[0].final, expected);
    EXPECT_EQ(fe.outcomes[0].restarts, 1);
    EXPECT_EQ(count("beep"), c.newSessionCancelled ? 2 : 1);
}

INSTANTIATE_TEST_SUITE_P(Controller, ProgRepeat,
                         ::testing::Values(ProgRepeatCase{"window_clears_cancel", false, false},
                                           ProgRepeatCase{"cli_keeps_cancel", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LimitCase {
    const char* name;
    bool commError; // else programming error
    int maxRestarts;
    int sessions;
};

class RestartLimit : public ControllerSessions, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(RestartLimit, EndsIdleWhenNoRestartIsLeft) {
    const auto c = GetParam();
    TControllerPolicy policy;
    policy.askQuestions = false;
    policy.maxRestarts = c.maxRestarts;
    make(Mode::normal, policy);
    logger.fault = c.commError ? silence : wrongEcho;
    ASSERT_TRUE(controller->updateClicked("COM5", false));
    while (fe.outcomes.empty() && fe.pump(*controller) > 0)
        if (controller->restartPending()) controller->timerElapsed();
    EXPECT_EQ(static_cast<int>(started.size()), c.sessions);
    ASSERT_EQ(fe.outcomes.size(), 1u);
    EXPECT_TRUE(fe.outcomes[0].restartsUsedUp);
    EXPECT_EQ(fe.outcomes[0].restarts, c.maxRestarts);
    EXPECT_FALSE(controller->restartPending());
    expectControls(controller->state(), false, Mode::normal, "used up");
    EXPECT_EQ(count("Q:" + std::string(cAskSaveMeasurements)), 0);
}

INSTANTIATE_TEST_SUITE_P(Controller, RestartLimit,
                         ::testing::Values(LimitCase{"comm_none", true, 0, 1},
                                           LimitCase{"comm_two", true, 2, 3},
                                           LimitCase{"prog_one", false, 1, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// The cause is the one the session's own open found, taken from that
// session: report and status bar keep the session's text alone, the message
// window adds the remedy as its second line (or not, by the front end's
// policy), and the outcome carries it as the hint.  A later session that
// opens its port carries no stale cause.
TEST_F(ControllerSessions, PortThatDoesNotOpenGivesTheCauseOfThatOpen) {
    const std::string sAbort = "Aborted because serial port \"ttyUSB9\" is not ready!";
    const std::string sRemedy = "Serial port \"ttyUSB9\" does not exist. Check that the logger's "
                                "cable is plugged in, or pick another port.";
    for (const bool inMessage : {true, false}) {
        SCOPED_TRACE(inMessage);
        TFakeFrontEnd front;
        TControllerSetup setup = setupFor(Mode::internal);
        setup.clock = &clock;
        setup.policy.remedyInMessage = inMessage;
        int opens = 0;
        TPortOpener failing = TScriptedLogger::failingOpener();
        TPortOpener working = logger.opener();
        setup.opener = [&](const std::string& sPort, int iBaud, TPortProblem& problem) {
            return ++opens == 1 ? failing(sPort, iBaud, problem) : working(sPort, iBaud, problem);
        };
        TUpdateController c(front, std::move(setup)); // real session threads
        ASSERT_TRUE(c.updateClicked("ttyUSB9", false));
        front.pump(c);
        ASSERT_EQ(front.outcomes.size(), 1u);
        EXPECT_EQ(front.outcomes[0].final, (TNotification{cNT_ABORT, cEX_PORT_NOT_READY}));
        EXPECT_EQ(front.outcomes[0].hint, sRemedy);
        const std::vector<std::string> tail(front.calls.end() - 4, front.calls.end());
        EXPECT_EQ(tail,
                  (std::vector<std::string>{
                      "R:" + sAbort, "S:" + sAbort,
                      inMessage ? "M:" + sAbort + "\r\n" + sRemedy : "M:" + sAbort, "ended"}));

        ASSERT_TRUE(c.updateClicked("ttyUSB9", true));
        front.pump(c);
        ASSERT_EQ(front.outcomes.size(), 2u);
        EXPECT_EQ(front.outcomes[1].final, (TNotification{cNT_ABORT, cEX_INFO_ONLY}));
        EXPECT_EQ(front.outcomes[1].hint, "");
    }
}

TEST_F(ControllerSessions, ReadInfoOnlyReachesTheSessionAndItsRestarts) {
    make();
    logger.fault = [&](TExchange& e) {
        if (logger.opens == 1) silence(e);
    };
    ASSERT_TRUE(controller->updateClicked("COM5", true));
    fe.pump(*controller);
    controller->timerElapsed();
    fe.pump(*controller);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_TRUE(started[0].infoOnly && started[1].infoOnly);
    EXPECT_EQ(fe.outcomes.at(0).final, (TNotification{cNT_ABORT, cEX_INFO_ONLY}));
    EXPECT_TRUE(logger.writtenBlocks.empty());
}

// --- The file slot ----------------------------------------------------------

class ControllerFiles : public ControllerSessions {
  protected:
    TTempFolder folder{"tarvek2-controller"};
    std::string path(const char* name) { return (folder / name).string(); }
    std::string write(const char* name, const std::string& text) {
        const std::string p = path(name);
        EXPECT_TRUE(writeFile(p, text));
        return p;
    }
    static std::string goodImage() {
        return "bootloader=3\nbootloader version=0\nclass=26145\nversionH=2\nversionL=9\n"
               "platform=21\nprint=38\ndate=x\n" +
               TScriptedLogger::record(0x0200, 0, std::vector<std::uint8_t>(64, 0x11)) + "\n" +
               TScriptedLogger::record(0x03DF, 0, std::vector<std::uint8_t>(64, 0x33)) +
               "\n:00000001FF\n";
    }
};

TEST_F(ControllerFiles, FileThatCannotBeReadIsReportedAndStartsNothing) {
    make();
    const std::string bad =
        write("bad.txt", "bootloader=3\nbootloader version=0\nclass=zwei\nversionH=2\n"
                         "versionL=8\nplatform=21\nprint=38\ndate=x\n:00000001FF\n");
    for (const std::string& file : {bad, path("missing.txt")}) {
        fe.calls.clear();
        fe.outcomes.clear();
        EXPECT_FALSE(controller->fileClicked(file, "COM5", false));
        ASSERT_EQ(fe.calls.size(), 5u);
        const std::string text = fe.calls[1].substr(2);
        EXPECT_EQ(text.rfind("Cannot read the image file \"" + file + "\": ", 0), 0u) << text;
        EXPECT_EQ(fe.calls, (Calls{"clear", "R:" + text, "S:" + text, "M:" + text, "ended"}));
        // The refused start is the run's outcome, as the controller tells it.
        ASSERT_EQ(fe.outcomes.size(), 1u);
        const TSessionOutcome& o = fe.outcomes[0];
        EXPECT_TRUE(o.refused);
        EXPECT_EQ(o.final, (TNotification{cNT_ABORT, 0}));
        EXPECT_EQ(o.rendering.text, text);
        EXPECT_EQ(o.selectedFW, -1);
        EXPECT_FALSE(o.image.chosen());
        EXPECT_EQ(o.restarts, 0);
        EXPECT_EQ(controller->state().status, text);
        EXPECT_FALSE(controller->state().busy);
        EXPECT_EQ(controller->catalog().iSelectedFW.load(), -1);
        EXPECT_TRUE(controller->catalog().FileLines.empty());
    }
    EXPECT_TRUE(started.empty());
}

TEST_F(ControllerFiles, FileIsWrittenFromItsSlotAlsoAfterARestart) {
    make();
    const std::string file = write("good.txt", goodImage());
    logger.fault = [&](TExchange& e) {
        if (logger.opens == 1) silence(e);
    };
    // "File version" reads only the header.
    EXPECT_TRUE(controller->fileVersionChosen(file));
    EXPECT_EQ(controller->catalog().iSelectedFW.load(), 0);
    EXPECT_EQ(controller->catalog().FileHeader.vorn_verL, 9);
    EXPECT_TRUE(controller->catalog().FileLines.empty());
    EXPECT_FALSE(controller->fileVersionChosen(path("missing.txt")));

    ASSERT_TRUE(controller->fileClicked(file, "COM5", false));
    fe.pump(*controller);
    controller->timerElapsed();
    fe.pump(*controller);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].selected, 0);
    EXPECT_EQ(started[1].selected, 0);
    EXPECT_EQ(fe.outcomes.at(0).final, (TNotification{cNT_DONE, 0}));
    EXPECT_EQ(logger.writtenBlocks, (std::vector<std::uint16_t>{0x0200, 0x03DF}));
    EXPECT_EQ(count("M:Update Tarvek2 V2.09 succesfully completed."), 1);

    // "Update" searches the built-in images again.
    logger.fault = nullptr;
    ASSERT_TRUE(controller->updateClicked("COM5", false));
    EXPECT_EQ(started.back().selected, -1);
}

// --- Closing ------------------------------------------------------------------

TEST_F(ControllerSessions, ClosingWhileIdleClosesAtOnceWithoutAQuestion) {
    make(Mode::normal);
    EXPECT_EQ(controller->closeRequested(), TCloseAnswer::closeNow);
    EXPECT_TRUE(fe.calls.empty());
}

TEST_F(ControllerSessions, ClosingInTheRestartWaitStopsTheTimerAndStartsNothing) {
    make();
    logger.fault = silence;
    ASSERT_TRUE(controller->updateClicked("COM5", false));
    fe.pump(*controller);
    ASSERT_TRUE(controller->restartPending());
    fe.calls.clear();
    EXPECT_EQ(controller->closeRequested(), TCloseAnswer::closeNow);
    EXPECT_EQ(fe.calls, (Calls{"Q:" + std::string(cAskCloseBusy), "stoptimer"}));
    EXPECT_FALSE(controller->state().busy);
    controller->timerElapsed();
    EXPECT_EQ(started.size(), 1u);
}

// A session on a thread of its own, held inside an exchange with the logger:
// closing asks, cancels and returns at once; the window closes when the
// session's final notification has come, and shows nothing of it.
TEST(ControllerClosing, WhileBusyAsksCancelsAndEndsWithoutBlocking) {
    TFakeClock clock;
    TScriptedLogger logger{clock};
    std::promise<void> entered, release;
    auto released = release.get_future().share();
    bool held = false;
    logger.fault = [&](TExchange& e) {
        if (e.kind != TExchange::identify || held) return;
        held = true;
        entered.set_value();
        released.wait();
    };
    TFakeFrontEnd fe;
    TControllerSetup setup = setupFor(Mode::internal);
    setup.clock = &clock;
    setup.opener = logger.opener();
    TUpdateController controller(fe, std::move(setup));
    ASSERT_TRUE(controller.updateClicked("COM5", false));
    entered.get_future().wait();

    fe.answer = false;
    EXPECT_EQ(controller.closeRequested(), TCloseAnswer::keepOpen);
    EXPECT_TRUE(controller.state().busy);
    EXPECT_FALSE(controller.state().closing);

    fe.answer = true;
    // The session is still held: a close that waited for it would not return.
    EXPECT_EQ(controller.closeRequested(), TCloseAnswer::closeWhenEnded);
    EXPECT_TRUE(controller.state().closing);
    EXPECT_EQ(controller.closeRequested(), TCloseAnswer::closeWhenEnded); // asked once
    const std::size_t callsAtClose = fe.calls.size();

    release.set_value();
    fe.pump(controller);
    const Calls after(fe.calls.begin() + static_cast<long>(callsAtClose), fe.calls.end());
    EXPECT_EQ(after, (Calls{"ended", "close"}));
    EXPECT_EQ(fe.outcomes.at(0).final, (TNotification{cNT_ABORT, cEX_CANCELLED}));
    EXPECT_FALSE(controller.state().busy);
    EXPECT_EQ(logger.closes, 1);
    EXPECT_EQ(std::count(fe.calls.begin(), fe.calls.end(), "Q:" + std::string(cAskCloseBusy)), 2);
    EXPECT_EQ(controller.closeRequested(), TCloseAnswer::closeNow);
}

} // namespace
