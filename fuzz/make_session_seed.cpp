// Records the logger's genuine answers of whole sessions with the small
// image and writes them as inputs of fuzz_session (each answer as a raw
// operation), for the seed corpus:  make_session_seed OUTDIR
#include "session_harness.h"
#include "session_input.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

bool record(const std::filesystem::path& file, std::uint8_t set) {
    TFakeClock clock;
    TScriptedIdentity id;
    id.inBootloader = (set & cSet_InBootloader) != 0;
    TScriptedLogger logger(clock, id);
    std::string input{static_cast<char>(set), 0, 0, 0};
    bool fits = true;
    logger.fault = [&](TExchange& ex) {
        if (ex.answer.size() > 255 - cOp_Raw) fits = false;
        input += static_cast<char>(cOp_Raw + ex.answer.size());
        input += ex.answer;
    };
    TFWCatalog catalog;
    catalog.FileHeader = smallImageHeader();
    catalog.FileLines = smallImageLines();
    catalog.iSelectedFW = 0;
    std::atomic<bool> cancel{false};
    TSessionSettings settings;
    settings.bInfoOnly = (set & cSet_InfoOnly) != 0;
    const TSessionRun run = runSession(catalog, logger, clock, settings, cancel);
    checkSessionRun(run, catalog, logger);
    if (!fits || run.notes.back().kind != (settings.bInfoOnly ? cNT_ABORT : cNT_DONE)) {
        std::fprintf(stderr, "%s: the session did not run as recorded\n", file.c_str());
        return false;
    }
    std::ofstream(file, std::ios::binary) << input;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_session_seed OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    const bool ok = record(dir / "recorded_from_application", 0) &&
                    record(dir / "recorded_in_bootloader", cSet_InBootloader) &&
                    record(dir / "recorded_info_only", cSet_InfoOnly);
    return ok ? 0 : 1;
}
