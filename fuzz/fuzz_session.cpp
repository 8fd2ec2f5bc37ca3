// Any bytes as everything the logger sends: a whole update session against
// the scripted logger, each answer taken from the input (or the logger's own
// answer, changed or not, as the input says).  Whatever comes back, the
// session ends with exactly one final notification, posted last, and never
// writes a record that is not a checked line of the chosen image.
#include "session_harness.h"
#include "session_input.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput in(data, size);
    const std::uint8_t set = in.byte();
    const bool builtIn = in.byte() == cImage_BuiltIn;
    const std::uint8_t portFault = in.byte() % 6;
    const std::uint8_t portFaultAt = in.byte();

    TFakeClock clock;
    TScriptedIdentity id;
    id.inBootloader = (set & cSet_InBootloader) != 0;
    id.staysInApp = (set & cSet_StaysInApp) != 0;
    TScriptedLogger logger(clock, id);
    switch (portFault) {
    case 1:
        logger.failClearAt = portFaultAt;
        break;
    case 2:
        logger.failPurgeAt = portFaultAt;
        break;
    case 3:
        logger.failWriteAt = portFaultAt;
        break;
    case 4:
        logger.failReadAt = portFaultAt;
        break;
    case 5:
        logger.shortWriteAt = portFaultAt;
        break;
    default:
        break;
    }

    std::atomic<bool> cancel{false};
    logger.fault = [&](TExchange& ex) {
        if (!nextAnswer(in, ex.answer) && ((set & cSet_CancelAtEnd) || builtIn)) cancel = true;
    };

    TFWCatalog catalog;
    catalog.FileHeader = smallImageHeader();
    catalog.FileLines = smallImageLines((set & cSet_BadImageLine) != 0);
    catalog.iSelectedFW = builtIn ? -1 : 0;

    TSessionSettings settings;
    settings.bCheckFamily = !(set & cSet_NoFamily);
    settings.bCheckClass = !(set & cSet_NoClass);
    settings.bCheckInfo = !(set & cSet_NoInfo);
    settings.bInfoOnly = (set & cSet_InfoOnly) != 0;

    const TSessionRun run = runSession(catalog, logger, clock, settings, cancel);
    traceSessionRun(run, logger);
    checkSessionRun(run, catalog, logger);
    return 0;
}
