#include "TLoggerProtocol.h"

#include "images/uConvert1V0.h"
#include "images/uFWVersions.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::uint8_t cStatusNotReady = 0x20;
constexpr std::uint8_t cCmdIdentify = 1;
constexpr std::uint8_t cCmdSwitch = 2;
constexpr std::array<std::uint8_t, 6> cSwitchParams{0x81, 0x00, 0xA5, 0x5A, 0x00, 0x00};

constexpr std::uint8_t cTypeData = 0x00;
constexpr std::uint8_t cTypeCommand = 0x05;
constexpr std::uint8_t cFullCount = 0x40;

constexpr std::uint8_t cBlIdentity = 0x20;
constexpr std::uint8_t cBlReadBlock = 0x30;
constexpr std::uint8_t cBlBegin = 0x31;
constexpr std::uint8_t cBlFinish = 0x33;

std::uint8_t hi(std::uint16_t w) {
    return static_cast<std::uint8_t>(w >> 8);
}
std::uint8_t lo(std::uint16_t w) {
    return static_cast<std::uint8_t>(w & 0xFF);
}

} // namespace

TLoggerProtocol::TLoggerProtocol(TSimConfig config) : FConfig(std::move(config)) {
    FIdentityBlock = static_cast<std::uint16_t>(getMemoryMap(FConfig.platform)[0].first / 64);
    FInBootloader = FConfig.startsInBootloader;
    FRecord.inBootloader = FInBootloader;
}

void TLoggerProtocol::receive(const std::uint8_t* data, std::size_t n,
                              std::vector<std::uint8_t>& out) {
    if (FRecord.lineCut) return;
    std::vector<TLineUnit> units;
    FFramer.push(data, n, units);
    for (const TLineUnit& unit : units) {
        if (unit.kind == TLineUnit::EKind::Frame)
            onFrame(unit, out);
        else
            onRecord(unit.record, out);
        if (FRecord.lineCut) break;
    }
    syncCounters();
}

void TLoggerProtocol::receive(const std::string& data, std::string& out) {
    std::vector<std::uint8_t> bytes;
    receive(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), bytes);
    out.append(bytes.begin(), bytes.end());
}

void TLoggerProtocol::dropPartialInput() {
    FFramer.dropPartial();
    syncCounters();
}

void TLoggerProtocol::syncCounters() {
    FRecord.ignoredBytes = FFramer.skippedBytes();
    FRecord.badFrames = FFramer.badFrames();
    FRecord.inBootloader = FInBootloader;
}

void TLoggerProtocol::onFrame(const TLineUnit& unit, std::vector<std::uint8_t>& out) {
    ++FRecord.frames;
    const auto& f = unit.frame;
    const std::uint8_t command = f[0] & 0x7F;
    if (f[0] == 0) {
        // Null frame (all bytes 0, the CRC of seven zeros being 0): wakes the line.
        ++FRecord.nullFrames;
        return;
    }
    if (command == cCmdIdentify) {
        ++FRecord.identifies;
        answerIdentify(out);
    } else if (command == cCmdSwitch &&
               std::equal(cSwitchParams.begin(), cSwitchParams.end(), f.begin() + 1)) {
        if (!FInBootloader && !FConfig.stayInApp) {
            FInBootloader = true;
            ++FRecord.switches;
        }
    }
}

void TLoggerProtocol::answerIdentify(std::vector<std::uint8_t>& out) {
    std::uint16_t cls = FConfig.appClass;
    std::uint8_t major = FConfig.versionMajor;
    std::uint8_t minor = FConfig.versionMinor;
    if (FInBootloader) {
        cls = FConfig.bootClass;
        major = FConfig.bootVersionMajor;
        minor = FConfig.bootVersionMinor;
    } else if (FRestarted) {
        cls = FConfig.restartClass();
        major = FConfig.versionMajorAfterRestart.value_or(major);
        minor = FConfig.versionMinorAfterRestart.value_or(minor);
    }
    if (FConfig.silent) return;

    std::array<std::uint8_t, 8> answer{
        static_cast<std::uint8_t>(FConfig.notReady ? cStatusNotReady : 0),
        0,
        hi(cls),
        lo(cls),
        major,
        minor,
        0,
        0};
    answer[7] = CRC8(answer.data(), 7);
    if (FAnswerFrames++ < FConfig.badCrcAnswers) answer[7] ^= 0xFF;
    if (FIdentifyAnswers++ < FConfig.noiseAnswers)
        out.insert(out.end(), FConfig.noiseBytes.begin(), FConfig.noiseBytes.end());
    out.insert(out.end(), answer.begin(), answer.end());
    if (FRestarted && !FInBootloader) FRecord.updateDone = true;
}

void TLoggerProtocol::onRecord(const std::string& line, std::vector<std::uint8_t>& out) {
    TRecordConverter conv;
    conv.sHexLine = line;
    if (!conv.LineToRecord()) {
        ++FRecord.badRecords;
        return;
    }
    ++FRecord.records;
    // The application does not speak the bootloader's records.
    if (!FInBootloader) return;

    if (conv.count() == 1 && conv.type() == cTypeCommand) {
        ++FRecord.commands;
        onCommand(conv.address(), conv.data(0), out);
    } else if (conv.count() == cFullCount && conv.type() == cTypeData) {
        onDataRecord(line, conv.address(), out);
    }
}

void TLoggerProtocol::onCommand(std::uint16_t block, std::uint8_t command,
                                std::vector<std::uint8_t>& out) {
    switch (command) {
    case cBlIdentity:
        answerRecord(block, cTypeCommand,
                     {hi(FConfig.platform), lo(FConfig.platform), hi(FConfig.print),
                      lo(FConfig.print), hi(FConfig.info), lo(FConfig.info)},
                     FConfig.badAnswer20, out);
        break;
    case cBlReadBlock: {
        // Erased flash reads 0xFF; the identity block starts with the update
        // identity.
        std::vector<std::uint8_t> data(cFullCount, 0xFF);
        if (block == FIdentityBlock) {
            data[0] = lo(FConfig.updateClass);
            data[1] = hi(FConfig.updateClass);
            data[2] = lo(FConfig.updateInfo);
            data[3] = hi(FConfig.updateInfo);
        }
        answerRecord(block, cTypeData, data, FConfig.badAnswer30, out);
        break;
    }
    case cBlBegin:
        ++FRecord.runs;
        FRecord.lastRunLines.clear();
        FRunPosition = 0;
        FPreviousData.clear();
        answerRecord(block, cTypeCommand, {0x00}, false, out);
        break;
    case cBlFinish:
        ++FRecord.restarts;
        FInBootloader = false;
        FRestarted = true;
        break;
    default:
        break;
    }
}

void TLoggerProtocol::onDataRecord(const std::string& line, std::uint16_t block,
                                   std::vector<std::uint8_t>& out) {
    // A record that repeats the one before it is the updater's retry of the
    // same position.
    const bool bRetry = !FPreviousData.empty() && line == FPreviousData;
    if (!bRetry) ++FRunPosition;
    FPreviousData = line;

    if (FConfig.cutAt > 0 && FRunPosition == FConfig.cutAt) {
        FRecord.lineCut = true;
        return;
    }
    FRecord.blocks.push_back(block);
    if (!bRetry) FRecord.lastRunLines.push_back(line);
    if (FConfig.silent) return;

    if (FConfig.dropEchoAt > 0 && FRunPosition == FConfig.dropEchoAt &&
        (FConfig.dropEchoAlways || !FDropFired)) {
        FDropFired = true;
        ++FRecord.droppedEchoes;
        return;
    }
    ++FRecord.echoes;
    if (FConfig.corruptEchoAt > 0 && FRunPosition == FConfig.corruptEchoAt &&
        (FConfig.corruptEchoAlways || !FCorruptFired)) {
        FCorruptFired = true;
        ++FRecord.corruptedEchoes;
        emit(corruptEcho(line), out);
        return;
    }
    emit(line, out);
}

void TLoggerProtocol::answerRecord(std::uint16_t block, std::uint8_t type,
                                   const std::vector<std::uint8_t>& data, bool bBadChecksum,
                                   std::vector<std::uint8_t>& out) {
    if (FConfig.silent) return;
    std::string line = makeRecord(block, type, data);
    if (bBadChecksum) {
        // Last digit of the checksum changed: the record no longer sums to zero.
        char& c = line.back();
        c = c == '0' ? '1' : '0';
    }
    emit(line, out);
}

void TLoggerProtocol::emit(const std::string& text, std::vector<std::uint8_t>& out) {
    out.insert(out.end(), text.begin(), text.end());
}

std::string corruptEcho(const std::string& line) {
    TRecordConverter conv;
    conv.sHexLine = line;
    if (!conv.LineToRecord() || conv.count() == 0) return line;
    conv.HexRecord[4] ^= 0x01;
    conv.RecordToLine();
    return conv.sHexLine;
}
