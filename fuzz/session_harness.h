// A whole update session against the scripted logger on a fake clock, run
// on the calling thread, and the properties every session must keep whatever
// the logger answered: exactly one final notification, posted last, after the
// port was closed; nothing on the line but the session's own frames and
// command records and the full data records of the chosen image, in image
// order with the vector-table record last, and those only from an image that
// checks out.
#pragma once

#include "fake_clock.h"
#include "images/uFWCatalog.h"
#include "notify_recorder.h"
#include "scripted_logger.h"
#include "session/uCommThread.h"

#include <atomic>
#include <string>
#include <vector>

// The image the fuzzers put into the file slot: three full data records (one
// of them the vector table at block 0x03DF, which is not the last line), a
// short record that is passed over, and the end line.  With a bad line the
// second record has a lower-case hex digit.
std::vector<std::string> smallImageLines(bool withBadLine = false);
// A header that fits the scripted logger's default identity.
TBl3FileHeader smallImageHeader();

struct TSessionRun {
    std::vector<TNotification> notes;
};

TSessionRun runSession(TFWCatalog& catalog, TScriptedLogger& logger, TFakeClock& clock,
                       const TSessionSettings& settings, std::atomic<bool>& cancel);

// With TARVEK2_FUZZ_TRACE set in the environment: prints the notifications
// and the exchanges of the run, for looking into one input.
void traceSessionRun(const TSessionRun& run, const TScriptedLogger& logger);

// Aborts with a message when a property is broken.
void checkSessionRun(const TSessionRun& run, const TFWCatalog& catalog,
                     const TScriptedLogger& logger);
