// What the simulated logger answers when it is configured to misbehave.
#include "TLoggerProtocol.h"
#include "simTraffic.h"

#include <gtest/gtest.h>

#include <functional>

using namespace simtraffic;

namespace {

struct TLine {
    TLoggerProtocol logger;
    explicit TLine(TSimConfig config = {}) : logger(std::move(config)) {}
    std::string send(const std::string& s) {
        std::string out;
        logger.receive(s, out);
        return out;
    }
    std::string send(const TBytes& b) { return send(text(b)); }
};

TSimConfig withFault(const std::function<void(TSimConfig&)>& set) {
    TSimConfig c;
    set(c);
    return c;
}

TBytes withBadCrc(TBytes frame) {
    frame[7] ^= 0xFF;
    return frame;
}

TBytes operator+(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

// Three identify frames in a row to a logger whose application runs.
TEST(SimFaults, IdentifyAnswers) {
    const TBytes app = answerFrame(0x6621, 2, 7);
    const TBytes noise{0x00, 0xFF, 0x00};
    struct TCase {
        const char* what;
        TSimConfig config;
        std::vector<TBytes> answers;
    } cases[] = {
        {"healthy", {}, {app, app, app}},
        {"silent", withFault([](TSimConfig& c) { c.silent = true; }), {{}, {}, {}}},
        {"not ready",
         withFault([](TSimConfig& c) { c.notReady = true; }),
         {answerFrame(0x6621, 2, 7, 0x20), answerFrame(0x6621, 2, 7, 0x20),
          answerFrame(0x6621, 2, 7, 0x20)}},
        {"two bad CRCs",
         withFault([](TSimConfig& c) { c.badCrcAnswers = 2; }),
         {withBadCrc(app), withBadCrc(app), app}},
        {"noise before the first answer",
         withFault([](TSimConfig& c) { c.noiseAnswers = 1; }),
         {noise + app, app, app}},
        {"other class and version",
         withFault([](TSimConfig& c) {
             c.appClass = 0x6617;
             c.versionMajor = 1;
             c.versionMinor = 42;
         }),
         {answerFrame(0x6617, 1, 42), answerFrame(0x6617, 1, 42), answerFrame(0x6617, 1, 42)}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TLine line(c.config);
        for (const TBytes& expected : c.answers)
            EXPECT_EQ(line.send(identifyFrame()), text(expected));
    }
}

// Identify, switch, identify, finish, identify: which class comes back when.
TEST(SimFaults, ClassesThroughSwitchAndRestart) {
    struct TCase {
        const char* what;
        TSimConfig config;
        std::uint16_t first, afterSwitch, afterRestart;
    } cases[] = {
        {"healthy", {}, 0x6621, 0xC802, 0x6621},
        {"stays in its application", withFault([](TSimConfig& c) { c.stayInApp = true; }), 0x6621,
         0x6621, 0x6621},
        {"starts in its bootloader", withFault([](TSimConfig& c) { c.startsInBootloader = true; }),
         0xC802, 0xC802, 0x6621},
        {"wrong class after the restart",
         withFault([](TSimConfig& c) { c.classAfterRestart = 0x6617; }), 0x6621, 0xC802, 0x6617},
        {"restart class follows the update class",
         withFault([](TSimConfig& c) { c.updateClass = 0x6590; }), 0x6621, 0xC802, 0x6590},
    };
    auto classOf = [](const std::string& answer) -> int {
        return answer.size() == 8 ? BytesToWord(answer[2], answer[3]) : -1;
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TLine line(c.config);
        EXPECT_EQ(classOf(line.send(identifyFrame())), c.first);
        line.send(switchFrame());
        EXPECT_EQ(classOf(line.send(identifyFrame())), c.afterSwitch);
        line.send(makeCommandRecord(0, 0x33));
        EXPECT_EQ(classOf(line.send(identifyFrame())), c.afterRestart);
        // Only an update that really ran counts as done.
        EXPECT_EQ(line.logger.record().updateDone, c.afterSwitch == 0xC802);
    }
}

TEST(SimFaults, InvalidIdentityAnswers) {
    for (const bool b20 : {false, true}) {
        SCOPED_TRACE(b20 ? "0x20" : "0x30");
        TSimConfig config;
        config.startsInBootloader = true;
        (b20 ? config.badAnswer20 : config.badAnswer30) = true;
        TLine line(config);
        TRecordConverter conv;
        for (int attempt = 0; attempt < 5; ++attempt) {
            const std::string identity = line.send(makeCommandRecord(0, 0x20));
            const std::string block = line.send(makeCommandRecord(identityBlock(21), 0x30));
            EXPECT_EQ(identity.size(), 23u);
            EXPECT_EQ(block.size(), 139u);
            EXPECT_EQ(convert(identity, conv), !b20) << identity;
            EXPECT_EQ(convert(block, conv), b20) << block;
        }
        EXPECT_TRUE(convert(line.send(makeCommandRecord(0, 0x31)), conv));
    }
}

// Data-record faults at record 2 of a programming run: what each arrival of a
// record gets back.  A record sent twice in a row is the updater's retry.
TEST(SimFaults, DataRecordFaults) {
    const std::vector<std::string> records = recordsToSend(1);
    enum EStep { Begin, R1, R2, R3 };
    enum EAnswer { Echo, Changed, Nothing };
    struct TCase {
        const char* what;
        TSimConfig config;
        std::vector<std::pair<EStep, EAnswer>> steps;
        bool bCut = false;
    } cases[] = {
        {"drop once",
         withFault([](TSimConfig& c) { c.dropEchoAt = 2; }),
         {{Begin, Nothing}, {R1, Echo}, {R2, Nothing}, {R2, Echo}, {R3, Echo}}},
        {"drop always",
         withFault([](TSimConfig& c) { c.dropEchoAt = 2, c.dropEchoAlways = true; }),
         {{Begin, Nothing},
          {R1, Echo},
          {R2, Nothing},
          {R2, Nothing},
          {R2, Nothing},
          {Begin, Nothing},
          {R1, Echo},
          {R2, Nothing}}},
        {"corrupt once",
         withFault([](TSimConfig& c) { c.corruptEchoAt = 2; }),
         {{Begin, Nothing}, {R1, Echo}, {R2, Changed}, {Begin, Nothing}, {R1, Echo}, {R2, Echo}}},
        {"corrupt always",
         withFault([](TSimConfig& c) { c.corruptEchoAt = 2, c.corruptEchoAlways = true; }),
         {{Begin, Nothing},
          {R1, Echo},
          {R2, Changed},
          {Begin, Nothing},
          {R1, Echo},
          {R2, Changed},
          {R3, Echo}}},
        {"cut",
         withFault([](TSimConfig& c) { c.cutAt = 2; }),
         {{Begin, Nothing}, {R1, Echo}, {R2, Nothing}, {R3, Nothing}},
         true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TSimConfig config = c.config;
        config.startsInBootloader = true;
        TLine line(config);
        for (const auto& [step, expected] : c.steps) {
            if (step == Begin) {
                const std::string answer = line.send(makeCommandRecord(0, 0x31));
                if (!c.bCut) {
                    EXPECT_EQ(answer.size(), 13u);
                }
                continue;
            }
            const std::string& r = records[step - R1];
            const std::string answer = line.send(r);
            SCOPED_TRACE(r.substr(0, 9));
            if (expected == Echo) {
                EXPECT_EQ(answer, r);
            } else if (expected == Nothing) {
                EXPECT_EQ(answer, "");
            } else {
                // Passes the updater's checksum test, and still is not the record.
                TRecordConverter conv;
                EXPECT_TRUE(convert(answer, conv)) << answer;
                EXPECT_EQ(answer.size(), r.size());
                EXPECT_NE(answer, r);
                EXPECT_EQ(answer.substr(0, 9), r.substr(0, 9));
            }
        }
        EXPECT_EQ(line.logger.lineCut(), c.bCut);
    }
}

TEST(SimFaults, CutLineTakesNothingMore) {
    TSimConfig config;
    config.startsInBootloader = true;
    config.cutAt = 1;
    TLine line(config);
    line.send(makeCommandRecord(0, 0x31));
    EXPECT_EQ(line.send(recordsToSend(1)[0]), "");
    EXPECT_TRUE(line.logger.lineCut());
    EXPECT_EQ(line.send(identifyFrame()), "");
    EXPECT_TRUE(line.logger.record().blocks.empty());
    EXPECT_EQ(line.logger.record().identifies, 0);
}

TEST(SimFaults, SilentLoggerStillTakesNote) {
    TSimConfig config;
    config.silent = true;
    TLine line(config);
    EXPECT_EQ(line.send(switchFrame()), "");
    EXPECT_EQ(line.send(makeCommandRecord(0, 0x20)), "");
    EXPECT_EQ(line.send(makeCommandRecord(0, 0x31)), "");
    EXPECT_EQ(line.send(recordsToSend(1)[0]), "");
    EXPECT_EQ(line.logger.record().blocks.size(), 1u);
    EXPECT_EQ(line.logger.record().echoes, 0);
}
