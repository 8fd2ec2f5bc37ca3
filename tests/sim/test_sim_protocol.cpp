// The simulated logger's state machine through a whole update, as the updater
// drives it, and its resynchronisation on stray and broken input.
#include "TLoggerProtocol.h"
#include "simTraffic.h"

#include <gtest/gtest.h>

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

struct TUpdateCase {
    int slot;
    std::uint16_t print;
};

class SimFullUpdate : public ::testing::TestWithParam<TUpdateCase> {};

} // namespace

TEST_P(SimFullUpdate, AnswersEveryStepAndRecordsTheImage) {
    TSimConfig config;
    config.print = GetParam().print;
    config.info = 0x1234;
    TLine line(config);

    EXPECT_EQ(line.send(nullFrame()), "");
    EXPECT_EQ(line.send(nullFrame()), "");
    EXPECT_EQ(line.send(identifyFrame()), text(answerFrame(0x6621, 2, 7)));
    EXPECT_EQ(line.send(switchFrame()), "");
    EXPECT_EQ(line.send(identifyFrame()), text(answerFrame(0xC802, 3, 0)));

    TRecordConverter conv;
    const std::string identity = line.send(makeCommandRecord(0, 0x20));
    ASSERT_EQ(identity.size(), 23u);
    ASSERT_TRUE(convert(identity, conv)) << identity;
    EXPECT_EQ(conv.address(), 0);
    EXPECT_EQ((TBytes{conv.data(0), conv.data(1), conv.data(2), conv.data(3), conv.data(4),
                      conv.data(5)}),
              (TBytes{0, 21, 0, static_cast<std::uint8_t>(GetParam().print), 0x12, 0x34}));

    const std::uint16_t block = identityBlock(21);
    ASSERT_EQ(block, 0x0060);
    const std::string idBlock = line.send(makeCommandRecord(block, 0x30));
    ASSERT_EQ(idBlock.size(), 139u);
    ASSERT_TRUE(convert(idBlock, conv)) << idBlock;
    EXPECT_EQ(conv.count(), 0x40);
    EXPECT_EQ((TBytes{conv.data(0), conv.data(1), conv.data(2), conv.data(3)}),
              (TBytes{0x21, 0x66, 0xFE, 0xFF}));

    const std::string begin = line.send(makeCommandRecord(0, 0x31));
    ASSERT_EQ(begin.size(), 13u);
    EXPECT_TRUE(convert(begin, conv)) << begin;

    const std::vector<std::string> records = recordsToSend(GetParam().slot);
    ASSERT_GT(records.size(), 2000u);
    std::vector<std::uint16_t> blocks;
    for (const std::string& r : records) {
        ASSERT_EQ(line.send(r), r);
        convert(r, conv);
        blocks.push_back(conv.address());
    }
    EXPECT_EQ(blocks.back(), 0x03DF);

    EXPECT_EQ(line.send(makeCommandRecord(0, 0x33)), "");
    EXPECT_FALSE(line.logger.inBootloader());
    EXPECT_FALSE(line.logger.record().updateDone);
    EXPECT_EQ(line.send(identifyFrame()), text(answerFrame(0x6621, 2, 7)));

    const TSimRecord& rec = line.logger.record();
    EXPECT_TRUE(rec.updateDone);
    EXPECT_EQ(rec.lastRunLines, records);
    EXPECT_EQ(rec.blocks, blocks);
    EXPECT_EQ(rec.lastRunBlocks(), blocks);
    EXPECT_EQ(rec.nullFrames, 2);
    EXPECT_EQ(rec.identifies, 3);
    EXPECT_EQ(rec.switches, 1);
    EXPECT_EQ(rec.commands, 4);
    EXPECT_EQ(rec.echoes, static_cast<int>(records.size()));
    EXPECT_EQ(rec.records, static_cast<int>(records.size()) + 4);
    EXPECT_EQ(rec.runs, 1);
    EXPECT_EQ(rec.restarts, 1);
    EXPECT_EQ(rec.badFrames + rec.badRecords + rec.ignoredBytes, 0);
}

INSTANTIATE_TEST_SUITE_P(BuiltInImages, SimFullUpdate,
                         ::testing::Values(TUpdateCase{1, 38}, TUpdateCase{2, 47}),
                         [](const auto& info) {
                             return "Print" + std::to_string(info.param.print);
                         });

TEST(SimProtocol, ReadsOtherBlocksAsErasedAndIgnoresUnknownCommands) {
    TSimConfig config;
    config.startsInBootloader = true;
    TLine line(config);
    TRecordConverter conv;
    const std::string other = line.send(makeCommandRecord(0x0040, 0x30));
    ASSERT_TRUE(convert(other, conv));
    EXPECT_EQ(conv.address(), 0x0040);
    for (int k = 0; k < 64; ++k)
        EXPECT_EQ(conv.data(k), 0xFF) << k;
    EXPECT_EQ(line.send(makeCommandRecord(0, 0x44)), "");
    // A switch frame while the bootloader runs changes nothing.
    EXPECT_EQ(line.send(switchFrame()), "");
    EXPECT_EQ(line.send(identifyFrame()), text(answerFrame(0xC802, 3, 0)));
    EXPECT_EQ(line.logger.record().switches, 0);
}

TEST(SimProtocol, ApplicationIgnoresBootloaderRecords) {
    TLine line;
    EXPECT_EQ(line.send(makeCommandRecord(0, 0x20)), "");
    EXPECT_EQ(line.send(recordsToSend(1).front()), "");
    EXPECT_EQ(line.logger.record().records, 2);
    EXPECT_TRUE(line.logger.record().blocks.empty());
}

// Whatever arrives, the next frame or record is found again.
TEST(SimProtocol, ResynchronisesAfterStrayAndBrokenInput) {
    TSimConfig config;
    config.startsInBootloader = true;
    const std::string boot = text(answerFrame(0xC802, 3, 0));
    const std::string data = recordsToSend(1).front();
    std::string badChecksum = makeCommandRecord(0, 0x20);
    badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';
    TBytes badCrc = identifyFrame();
    badCrc[7] ^= 0x55;

    struct TCase {
        const char* what;
        std::string input;
        std::string answer;
        bool bLeftover = false; // bytes wait for more input (dropped when the line goes quiet)
    } cases[] = {
        {"garbage then a frame", "xyz\x01\x7F" + text(identifyFrame()), boot},
        {"stray high byte before a frame", "\x81" + text(identifyFrame()), boot},
        {"stray bytes before a record", "\x81\x02" + data, data},
        {"broken record then a frame", data.substr(0, 40) + text(identifyFrame()), boot},
        {"broken record then a record", data.substr(0, 70) + data, data},
        {"lower-case record", ":0100000520da" + text(identifyFrame()), boot},
        {"count above 0x40", ":41" + data, data},
        {"frame with a wrong CRC", text(badCrc), "", true},
        {"record with a wrong checksum", badChecksum, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TLine line(config);
        EXPECT_EQ(line.send(c.input), c.answer);
        EXPECT_EQ(line.logger.hasPartialInput(), c.bLeftover);
    }

    TLine line(config);
    line.send(text(badCrc));
    line.send(badChecksum);
    EXPECT_EQ(line.logger.record().badFrames, 1);
    EXPECT_EQ(line.logger.record().badRecords, 1);
}

TEST(SimProtocol, AnswersInputThatArrivesInPieces) {
    TLine line;
    const std::string frame = text(identifyFrame());
    std::string out;
    for (char c : frame)
        out += line.send(std::string(1, c));
    EXPECT_EQ(out, text(answerFrame(0x6621, 2, 7)));

    line.send(switchFrame());
    const std::string data = recordsToSend(1)[5];
    EXPECT_EQ(line.send(data.substr(0, 100)), "");
    EXPECT_TRUE(line.logger.hasPartialInput());
    EXPECT_EQ(line.send(data.substr(100)), data);

    // A partial unit that is dropped (the line went quiet) does not swallow
    // the start of the next exchange.
    EXPECT_EQ(line.send(frame.substr(0, 3)), "");
    line.logger.dropPartialInput();
    EXPECT_FALSE(line.logger.hasPartialInput());
    EXPECT_EQ(line.send(frame), text(answerFrame(0xC802, 3, 0)));
}
