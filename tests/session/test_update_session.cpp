// The update session against the scripted logger: identification, the
// switch into the bootloader, the identity, the image choice, writing with
// the vector table last, the restart check and every way it can end.
#include "session_fixture.h"
#include "write_order.h"

#include <algorithm>

namespace {

std::vector<TNotification> withoutProgress(const std::vector<TNotification>& all) {
    std::vector<TNotification> out;
    for (const auto& n : all)
        if (n.kind != cNT_PROGRESS) out.push_back(n);
    return out;
}

TEST_F(SessionTest, FullUpdateFromTheApplication) {
    run();
    const std::vector<TNotification> expected = {
        {cNT_CLASS, 0x6621},   {cNT_VERSION, 0x0207},      {cNT_CLASS, 0xC802},
        {cNT_VERSION, 0x0300}, {cNT_PLATFORM, 21},         {cNT_PRINT, 38},
        {cNT_INFO, 0x0102},    {cNT_UPDATE_CLASS, 0x6621}, {cNT_UPDATE_INFO, 0xFFFE},
        {cNT_CHECK_IMAGE, 1},  {cNT_UPDATE_IMAGE, 0},      {cNT_VECTOR_TABLE, 0},
        {cNT_VECTOR_TABLE, 1}, {cNT_CLASS, 0x6621},        {cNT_DONE, 0},
    };
    EXPECT_EQ(withoutProgress(rec.snapshot()), expected);
    EXPECT_EQ(catalog.iSelectedFW, 1);

    // Every data record in file order, the vector table last.
    const auto expectedBlocks = blocksInWriteOrder(1);
    ASSERT_FALSE(expectedBlocks.empty());
    EXPECT_EQ(expectedBlocks.back(), cVectorTableBlock);
    EXPECT_EQ(logger.writtenBlocks, expectedBlocks);

    // The identity block of platform 21 lies at 0x1800, block 0x0060.
    const auto bl = exchangesOf(TExchange::blCommand);
    ASSERT_EQ(bl.size(), 4u);
    EXPECT_EQ(bl[0].written, ":0100000520DA");
    EXPECT_EQ(bl[1].written, makeCommandRecord(0x0060, 0x30));
    EXPECT_EQ(bl[2].written, ":0100000531C9");
    EXPECT_EQ(bl[3].written, ":0100000533C7");

    // The mandated waits: wake 100 + 100, switch 1, finish 500, restart 4000.
    EXPECT_EQ(clock.sleeps, (std::vector<int>{100, 100, 1, 500, 4000}));
    EXPECT_EQ(logger.closes, 1);
}

TEST_F(SessionTest, LoggerAlreadyInItsBootloaderIsNotSwitched) {
    logger.id.inBootloader = true;
    logger.id.print = 47;
    run();
    EXPECT_EQ(final(), (TNotification{cNT_DONE, 0}));
    EXPECT_TRUE(exchangesOf(TExchange::switchFrame).empty());
    EXPECT_EQ(rec.ofKind(cNT_VERSION).size(), 1u);
    EXPECT_EQ(rec.ofKind(cNT_CHECK_IMAGE),
              (std::vector<TNotification>{{cNT_CHECK_IMAGE, 1}, {cNT_CHECK_IMAGE, 2}}));
    EXPECT_EQ(catalog.iSelectedFW, 2);
    EXPECT_EQ(logger.writtenBlocks.size(), 2364u);
}

struct IdentifyCase {
    const char* name;
    std::uint16_t appClass;
    bool checkFamily;
    bool staysInApp;
    std::int32_t reason;
    std::size_t switches;
    std::size_t classReports;
};

class Identify : public SessionTest, public ::testing::WithParamInterface<IdentifyCase> {};

TEST_P(Identify, FamilyCheckAndSwitch) {
    const auto c = GetParam();
    logger.id.appClass = c.appClass;
    logger.id.staysInApp = c.staysInApp;
    settings.bCheckFamily = c.checkFamily;
    settings.bInfoOnly = true;
    run();
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, c.reason})) << c.name;
    EXPECT_EQ(exchangesOf(TExchange::switchFrame).size(), c.switches) << c.name;
    EXPECT_EQ(rec.ofKind(cNT_CLASS).size(), c.classReports) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Session, Identify,
    ::testing::Values(
        IdentifyCase{"other_family_checked", 0x6617, true, false, cEX_NO_UPDATE, 0, 1},
        IdentifyCase{"other_family_unchecked", 0x6617, false, false, cEX_INFO_ONLY, 1, 2},
        IdentifyCase{"stays_in_application", 0x6621, true, true, cEX_NO_UPDATE, 1, 2},
        IdentifyCase{"stays_in_application_unchecked", 0x6617, false, true, cEX_NO_UPDATE, 1, 2}),
    [](const auto& info) { return std::string(info.param.name); });

struct IdentityCase {
    const char* name;
    std::uint16_t platform, print, updateClass, updateInfo;
    // what the session reports
    std::uint16_t rPlatform, rPrint, rUpdateClass, rUpdateInfo;
    bool blockQueried;
    std::uint16_t block;
};

class Identity : public SessionTest, public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(Identity, IsReadAndReported) {
    const auto c = GetParam();
    logger.id = {.inBootloader = true,
                 .platform = c.platform,
                 .print = c.print,
                 .updateClass = c.updateClass,
                 .updateInfo = c.updateInfo};
    settings.bInfoOnly = true;
    run();
    EXPECT_EQ(rec.ofKind(cNT_PLATFORM).at(0).value, c.rPlatform) << c.name;
    EXPECT_EQ(rec.ofKind(cNT_PRINT).at(0).value, c.rPrint) << c.name;
    EXPECT_EQ(rec.ofKind(cNT_UPDATE_CLASS).at(0).value, c.rUpdateClass) << c.name;
    EXPECT_EQ(rec.ofKind(cNT_UPDATE_INFO).at(0).value, c.rUpdateInfo) << c.name;
    const auto bl = exchangesOf(TExchange::blCommand);
    const bool queried =
        std::any_of(bl.begin(), bl.end(), [](auto& e) { return e.command == 0x30; });
    EXPECT_EQ(queried, c.blockQueried) << c.name;
    if (queried) {
        EXPECT_EQ(bl.at(1).block, c.block) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Session, Identity,
    ::testing::Values(IdentityCase{"target", 21, 38, 0x6621, 0xFFFE, 21, 38, 0x6621, 0xFFFE, true,
                                   0x0060},
                      IdentityCase{"platform_14_read_as_15", 14, 38, 0x6621, 0xFFFE, 15, 38, 0x6621,
                                   0xFFFE, true, 0x0060},
                      IdentityCase{"unknown_platform_no_block", 23, 38, 0x6621, 0xFFFE, 0xFFFF, 38,
                                   0xFFFF, 0xFFFF, false, 0},
                      IdentityCase{"unknown_print", 21, 41, 0x6621, 0xFFFE, 21, 0xFFFF, 0x6621,
                                   0xFFFE, true, 0x0060},
                      IdentityCase{"unknown_update_class", 21, 38, 0x660D, 0x1234, 21, 38, 0xFFFF,
                                   0x1234, true, 0x0060},
                      IdentityCase{"platform_without_slot0_reads_block_0", 3, 38, 0x6621, 0xFFFE, 3,
                                   38, 0x6621, 0xFFFE, true, 0x0000},
                      IdentityCase{"platform_9_block_0x40", 9, 38, 0xC802, 0x00FF, 9, 38, 0xC802,
                                   0x00FF, true, 0x0040}),
    [](const auto& info) { return std::string(info.param.name); });

struct ChoiceCase {
    const char* name;
    int selectedBefore; // 0: a file in slot 0
    TBl3FileHeader fileHeader;
    std::uint16_t print, updateClass, updateInfo;
    bool checkClass, checkInfo;
    int chosen; // -1: cEX_UPID_MISMATCH
    std::vector<int> checked;
};

class Choice : public SessionTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(Choice, PicksTheFirstFittingSlot) {
    const auto c = GetParam();
    catalog.iSelectedFW = c.selectedBefore;
    if (c.selectedBefore == 0) {
        catalog.FileHeader = c.fileHeader;
        catalog.FileLines = {dataLine(0x0200), ":00000001FF"};
    }
    logger.id = {.inBootloader = true,
                 .print = c.print,
                 .updateClass = c.updateClass,
                 .updateInfo = c.updateInfo};
    settings.bCheckClass = c.checkClass;
    settings.bCheckInfo = c.checkInfo;
    settings.bInfoOnly = true;
    run();
    std::vector<int> checked;
    for (const auto& n : rec.ofKind(cNT_CHECK_IMAGE))
        checked.push_back(n.value);
    EXPECT_EQ(checked, c.checked) << c.name;
    EXPECT_EQ(catalog.iSelectedFW, c.chosen) << c.name;
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, c.chosen < 0 ? cEX_UPID_MISMATCH : cEX_INFO_ONLY}))
        << c.name;
    EXPECT_TRUE(exchangesOf(TExchange::dataRecord).empty());
}

const TBl3FileHeader fits38{0x6621, 2, 9, 21, 38, "", 3, 0};
const TBl3FileHeader bl2_38{0x6621, 2, 9, 21, 38, "", 2, 0};
const TBl3FileHeader fits47{0x6621, 2, 9, 21, 47, "", 3, 0};

INSTANTIATE_TEST_SUITE_P(
    Session, Choice,
    ::testing::Values(
        ChoiceCase{"print38", -1, {}, 38, 0x6621, 0xFFFE, true, true, 1, {1}},
        ChoiceCase{"print47_checks_both", -1, {}, 47, 0x6621, 0xFFFE, true, true, 2, {1, 2}},
        ChoiceCase{"earlier_choice_still_searches_builtins",
                   2,
                   {},
                   38,
                   0x6621,
                   0xFFFE,
                   true,
                   true,
                   1,
                   {1}},
        ChoiceCase{"other_update_class", -1, {}, 38, 0x6617, 0xFFFE, true, true, -1, {1, 2}},
        ChoiceCase{"other_update_class_unchecked", -1, {}, 38, 0x6617, 0xFFFE, false, true, 1, {1}},
        ChoiceCase{"info_word_not_fffe", -1, {}, 38, 0x6621, 0x0001, true, true, -1, {1, 2}},
        ChoiceCase{"info_word_unchecked", -1, {}, 38, 0x6621, 0x0001, true, false, 1, {1}},
        ChoiceCase{
            "file_only_even_if_builtin_fits", 0, fits47, 38, 0x6621, 0xFFFE, true, true, -1, {0}},
        ChoiceCase{"file_fits", 0, fits38, 38, 0x6621, 0xFFFE, true, true, 0, {0}},
        ChoiceCase{"file_for_bootloader_2", 0, bl2_38, 38, 0x6621, 0xFFFE, true, true, -1, {0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, ReadInfoOnlyWritesNothing) {
    settings.bInfoOnly = true;
    run();
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, cEX_INFO_ONLY}));
    EXPECT_TRUE(rec.ofKind(cNT_UPDATE_IMAGE).empty());
    EXPECT_EQ(catalog.iSelectedFW, 1);
    const auto bl = exchangesOf(TExchange::blCommand);
    EXPECT_EQ(bl.size(), 2u); // 0x20 and 0x30 only
    EXPECT_TRUE(exchangesOf(TExchange::dataRecord).empty());
}

struct ImageCase {
    const char* name;
    std::vector<std::string> lines;
    std::vector<TNotification> tail; // last notifications, final included
    std::size_t recordsWritten;
    bool begun; // 0x31 sent
};

class ImageFaults : public SessionTest, public ::testing::WithParamInterface<ImageCase> {};

TEST_P(ImageFaults, AreFoundBeforeAnythingIsWritten) {
    const auto c = GetParam();
    logger.id.inBootloader = true;
    useFile(c.lines);
    run();
    const auto all = withoutProgress(rec.snapshot());
    ASSERT_GE(all.size(), c.tail.size());
    EXPECT_EQ(std::vector<TNotification>(all.end() - c.tail.size(), all.end()), c.tail) << c.name;
    EXPECT_EQ(exchangesOf(TExchange::dataRecord).size(), c.recordsWritten) << c.name;
    const auto bl = exchangesOf(TExchange::blCommand);
    const bool begun = std::any_of(bl.begin(), bl.end(), [](auto& e) { return e.command == 0x31; });
    EXPECT_EQ(begun, c.begun) << c.name;
}

const std::string kEnd = ":00000001FF";
const std::string kA = SessionTest::dataLine(0x0200);
const std::string kB = SessionTest::dataLine(0x0201);

std::string lowerCasedAddress() {
    std::string line = SessionTest::dataLine(0x02AB);
    line[5] = 'a';
    line[6] = 'b';
    return line;
}

INSTANTIATE_TEST_SUITE_P(
    Session, ImageFaults,
    ::testing::Values(
        ImageCase{"no_lines", {}, {{cNT_ABORT, cEX_LAST_LINE}}, 0, false},
        ImageCase{"only_the_end_line", {kEnd}, {{cNT_ABORT, cEX_LAST_LINE}}, 0, false},
        ImageCase{"no_end_line", {kA, kB}, {{cNT_ABORT, cEX_LAST_LINE}}, 0, false},
        ImageCase{"blank_line_after_end", {kA, kEnd, ""}, {{cNT_ABORT, cEX_LAST_LINE}}, 0, false},
        ImageCase{
            "lower_case_end_line", {kA, ":00000001ff"}, {{cNT_ABORT, cEX_LAST_LINE}}, 0, false},
        ImageCase{"bad_line_in_the_middle",
                  {kA, kB, "", kA, kEnd},
                  {{cNT_CONV_ERROR_LINE, 2}, {cNT_ABORT, cEX_CONVERSION}},
                  0,
                  false},
        ImageCase{"lower_case_digit",
                  {kA, ":0000000000", lowerCasedAddress(), kEnd},
                  {{cNT_CONV_ERROR_LINE, 2}, {cNT_ABORT, cEX_CONVERSION}},
                  0,
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, ShortAndOtherTypeRecordsAreCountedButNotSent) {
    logger.id.inBootloader = true;
    const std::string shortRecord = TScriptedLogger::record(0x0300, 0x00, {1, 2, 3});
    const std::string otherType =
        TScriptedLogger::record(0x0301, 0x02, std::vector<std::uint8_t>(64, 7));
    useFile({kA, shortRecord, otherType, kB, kEnd});
    run();
    EXPECT_EQ(final(), (TNotification{cNT_DONE, 0}));
    EXPECT_EQ(logger.writtenBlocks, (std::vector<std::uint16_t>{0x0200, 0x0201}));
    EXPECT_TRUE(rec.ofKind(cNT_VECTOR_TABLE).empty());
    // i * 99 / 4 for i = 1, 2, 3: progress moves over the lines not sent too.
    EXPECT_EQ(
        rec.ofKind(cNT_PROGRESS),
        (std::vector<TNotification>{{cNT_PROGRESS, 24}, {cNT_PROGRESS, 49}, {cNT_PROGRESS, 74}}));
}

TEST_F(SessionTest, VectorTableIsHeldBackAndWrittenLastTheLaterOneWinning) {
    logger.id.inBootloader = true;
    const std::string vt1 = dataLine(0x03DF, 0x01), vt2 = dataLine(0x03DF, 0x02);
    useFile({kA, vt1, kB, vt2, kEnd});
    run();
    EXPECT_EQ(final(), (TNotification{cNT_DONE, 0}));
    const auto records = exchangesOf(TExchange::dataRecord);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].written, vt2);
    EXPECT_EQ(rec.ofKind(cNT_VECTOR_TABLE),
              (std::vector<TNotification>{
                  {cNT_VECTOR_TABLE, 0}, {cNT_VECTOR_TABLE, 0}, {cNT_VECTOR_TABLE, 1}}));
}

// The session writes the records its check converted, in one pass over the
// lines: a file slot that changes once writing has begun (here at the begin
// record) does not change what reaches the logger.
TEST_F(SessionTest, WritesTheRecordsItChecked) {
    logger.id.inBootloader = true;
    const std::string vt = dataLine(0x03DF);
    useFile({kA, vt, kB, kEnd});
    logger.fault = [&](TExchange& e) {
        if (e.kind == TExchange::blCommand && e.command == 0x31)
            catalog.FileLines = {dataLine(0x0200, 0x22), "", dataLine(0x0201, 0x22), kEnd};
    };
    run();
    EXPECT_EQ(final(), (TNotification{cNT_DONE, 0}));
    std::vector<std::string> written;
    for (const auto& e : exchangesOf(TExchange::dataRecord))
        written.push_back(e.written);
    EXPECT_EQ(written, (std::vector<std::string>{kA, kB, vt}));
}

struct EchoCase {
    const char* name;
    std::uint16_t block; // record whose echo is spoiled
    enum Spoil { otherDigits, lowerCase, silence } spoil;
    bool always;
    std::vector<TNotification> tail;
};

class EchoFaults : public SessionTest, public ::testing::WithParamInterface<EchoCase> {};

TEST_P(EchoFaults, EndTheSessionWithTheRightLine) {
    const auto c = GetParam();
    logger.id.inBootloader = true;
    useFile({kA, dataLine(0x03DF), kB, kEnd});
    bool done = false;
    logger.fault = [&](TExchange& e) {
        if (e.kind != TExchange::dataRecord || e.block != c.block || (done && !c.always)) return;
        done = true;
        switch (c.spoil) {
        case EchoCase::otherDigits:
            // Data bytes 0 and 1 (0x11, 0x11) become 0x12 and 0x10: the checksum
            // still holds, so the answer is valid but not the record sent.
            e.answer.replace(9, 4, "1210");
            break;
        case EchoCase::lowerCase: {
            const auto pos = e.answer.find_first_of("ABCDEF", 1);
            e.answer[pos] = static_cast<char>(std::tolower(e.answer[pos]));
            break;
        }
        case EchoCase::silence:
            e.answer.clear();
            break;
        }
    };
    run();
    const auto all = withoutProgress(rec.snapshot());
    EXPECT_EQ(std::vector<TNotification>(all.end() - c.tail.size(), all.end()), c.tail) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Session, EchoFaults,
    ::testing::Values(
        EchoCase{"data_record",
                 0x0201,
                 EchoCase::otherDigits,
                 false,
                 {{cNT_PROG_ERROR_LINE, 2}, {cNT_ABORT, cEX_PROG_REPEAT}}},
        EchoCase{"vector_table_gives_one_past_last",
                 0x03DF,
                 EchoCase::otherDigits,
                 false,
                 {{cNT_VECTOR_TABLE, 1}, {cNT_PROG_ERROR_LINE, 3}, {cNT_ABORT, cEX_PROG_REPEAT}}},
        // A lower-case hex digit is not a valid answer: the record is sent again.
        EchoCase{"lower_case_echo_is_retried",
                 0x0201,
                 EchoCase::lowerCase,
                 false,
                 {{cNT_CLASS, 0x6621}, {cNT_DONE, 0}}},
        EchoCase{
            "lower_case_echo_always", 0x0201, EchoCase::lowerCase, true, {{cNT_REPEAT_COMM, 0}}},
        EchoCase{"echo_never_comes", 0x0201, EchoCase::silence, true, {{cNT_REPEAT_COMM, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, RestartedLoggerWithAnotherClassFailsTheUpdate) {
    logger.id.inBootloader = true;
    logger.id.classAfterRestart = 0xC802;
    useFile({kA, kEnd});
    run();
    const auto all = rec.snapshot();
    EXPECT_EQ(all[all.size() - 2], (TNotification{cNT_CLASS, 0xC802}));
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, cEX_UPDATE_FAILED}));
}

struct AnswerCase {
    const char* name;
    std::uint8_t command;
    int spoil; // 0 bad checksum, 1 non-hex character, 2 silence, 3 too short
    std::int32_t reason;
};

class InvalidAnswers : public SessionTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(InvalidAnswers, OfTheIdentityQueries) {
    const auto c = GetParam();
    logger.id.inBootloader = true;
    logger.fault = [&](TExchange& e) {
        if (e.kind != TExchange::blCommand || e.command != c.command) return;
        switch (c.spoil) {
        case 0:
            e.answer[e.answer.size() - 1] ^= 0x01;
            break;
        case 1:
            e.answer[5] = 'G';
            break;
        case 2:
            e.answer.clear();
            break;
        case 3:
            e.answer.resize(e.answer.size() - 2);
            break;
        }
    };
    run();
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, c.reason})) << c.name;
    const auto bl = exchangesOf(TExchange::blCommand);
    EXPECT_EQ(std::count_if(bl.begin(), bl.end(), [&](auto& e) { return e.command == c.command; }),
              5)
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Session, InvalidAnswers,
    ::testing::Values(AnswerCase{"identity_bad_checksum", 0x20, 0, cEX_INVALID_ANSWER},
                      AnswerCase{"identity_not_hex", 0x20, 1, cEX_INVALID_ANSWER},
                      AnswerCase{"identity_silent", 0x20, 2, cEX_INVALID_ANSWER},
                      AnswerCase{"block_bad_checksum", 0x30, 0, cEX_INVALID_ANSWER},
                      AnswerCase{"block_too_short", 0x30, 3, cEX_INVALID_ANSWER}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, NoAnswerToBeginIsACommunicationError) {
    logger.id.inBootloader = true;
    logger.fault = [](TExchange& e) {
        if (e.kind == TExchange::blCommand && e.command == 0x31) e.answer.clear();
    };
    run();
    EXPECT_EQ(final(), (TNotification{cNT_REPEAT_COMM, 0}));
    EXPECT_TRUE(exchangesOf(TExchange::dataRecord).empty());
}

} // namespace

namespace {

// "Cancel" during one of the session's waits: the wait ends at once and the
// session ends as cancelled, as it would have at its next exchange, without
// sending anything more.  (Closing the window during the 4000 ms restart
// wait so takes no longer than the cancel needs to be seen.)
struct WaitCancelCase {
    const char* name;
    TExchange::Kind after; // the exchange just before the wait
    std::uint8_t command;  // its command byte (for bootloader commands)
    std::uint16_t block;   // its block (for data records)
    int wait;              // the wait that is cut short
    int cancelAfter;       // ms into the wait
};

class CancelInAWait : public SessionTest, public ::testing::WithParamInterface<WaitCancelCase> {};

TEST_P(CancelInAWait, EndsTheWaitAndTheSessionAtOnce) {
    const auto c = GetParam();
    useFile({kA, dataLine(0x03DF), kB, kEnd});
    std::size_t exchangesAtCancel = 0;
    bool armed = false;
    logger.fault = [&](TExchange& e) {
        armed = armed ||
                (e.kind == c.after && (c.after != TExchange::blCommand || e.command == c.command) &&
                 (c.after != TExchange::dataRecord || e.block == c.block));
    };
    clock.waitStarting = [&](int ms) {
        if (!armed || ms != c.wait || clock.actionAtMs >= 0) return;
        clock.actionAtMs = clock.now + c.cancelAfter;
        clock.action = [&] {
            cancel = true;
            exchangesAtCancel = logger.log.size();
        };
    };
    run();
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, cEX_CANCELLED}));
    ASSERT_FALSE(clock.sleeps.empty());
    EXPECT_EQ(clock.sleeps.back(), c.cancelAfter) << "the rest of the " << c.wait << " ms wait";
    EXPECT_GT(exchangesAtCancel, 0u);
    EXPECT_EQ(logger.log.size(), exchangesAtCancel) << "nothing is sent after the cancel";
    EXPECT_EQ(logger.closes, 1);
}

INSTANTIATE_TEST_SUITE_P(Session, CancelInAWait,
                         ::testing::Values(WaitCancelCase{"wake_pause", TExchange::nullFrame, 0, 0,
                                                          cWakePauseMs, 40},
                                           WaitCancelCase{"finish_pause", TExchange::dataRecord, 0,
                                                          0x03DF, cFinishPauseMs, 200},
                                           WaitCancelCase{"restart_pause", TExchange::blCommand,
                                                          cBlFinish, 0, cRestartPauseMs, 1000}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
