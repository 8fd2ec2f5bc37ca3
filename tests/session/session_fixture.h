// A session against the scripted logger, run synchronously on the test's
// thread with a fake clock.
#pragma once

#include "fake_clock.h"
#include "notify_recorder.h"
#include "scripted_logger.h"
#include "session/uExceptions1V0.h"
#include "session/uTarvekCommThread.h"

#include <gtest/gtest.h>

#include <atomic>

class SessionTest : public ::testing::Test {
  public:
    // A full data record for a block, with recognisable payload.
    static std::string dataLine(std::uint16_t block, std::uint8_t fill = 0x11) {
        return TScriptedLogger::record(block, 0x00, std::vector<std::uint8_t>(64, fill));
    }

  protected:
    TFakeClock clock;
    TScriptedLogger logger{clock};
    TNotifyRecorder rec;
    TFWCatalog catalog;
    std::atomic<bool> cancel{false};
    TSessionSettings settings;

    TSessionContext context(TPortOpener opener = {}) {
        return {&rec,     TCmd::tCMD0, "COM5", &catalog,
                settings, &cancel,     &clock, opener ? opener : logger.opener()};
    }
    void run(TPortOpener opener = {}) { CommThreadClass(context(std::move(opener)))->Execute(); }

    TNotification final() const { return rec.last(); }

    // A small image in the file slot: header for platform 21 / print 38.
    void useFile(std::vector<std::string> lines, TBl3FileHeader header = builtinLikeHeader()) {
        catalog.FileHeader = header;
        catalog.FileLines = std::move(lines);
        catalog.iSelectedFW = 0;
    }
    static TBl3FileHeader builtinLikeHeader() {
        return {0x6621, 2, 8, 21, 38, "01.01.2024 00:00:00", 3, 0};
    }
    std::vector<TExchange> exchangesOf(TExchange::Kind kind) const {
        std::vector<TExchange> out;
        for (const auto& e : logger.log)
            if (e.kind == kind) out.push_back(e);
        return out;
    }
};
