#include "cli/sessionCommand.h"

#include "cli/exitCodes.h"
#include "cli/internMode.h"
#include "cli/runOutputs.h"
#include "images/uImageFile.h"

#include <memory>

namespace {

std::unique_ptr<IRunOutput> makeOutput(const TUpdateOptions& o, TCommandEnv& env,
                                       const TRunRequest& request, const TFWCatalog& catalog) {
    if (o.json) return std::make_unique<TJsonOutput>(env.out, env.err, request, env.bCancel);
    if (o.quiet) return std::make_unique<TQuietOutput>(env.out, env.err, request, env.bCancel);
    std::unique_ptr<TProgressBar> bar;
    if (env.terminal)
        bar = std::make_unique<TProgressBar>(
            env.err, env.seams.clock ? *env.seams.clock : systemClock(), terminalWidth());
    return std::make_unique<TTextOutput>(env.out, env.err, request, catalog, env.bCancel,
                                         std::move(bar));
}

} // namespace

int runSessionCommand(const TUpdateOptions& o, TCommandEnv& env) {
    const bool intern = env.internMode ? env.internMode() : isInternMode();
    const std::string refusal = internModeRefusal(
        o, intern, env.internSource.empty() ? internModeSource() : env.internSource);
    if (!refusal.empty()) {
        env.err << "tarvek2-cli: " << refusal << '\n';
        return cExitUsage;
    }

    TFWCatalog catalog;
    TRunRequest request;
    request.sPort = o.port;
    request.settings = sessionSettings(o);
    request.maxRestarts = o.maxRestarts;
    if (!o.file.empty()) {
        // An image whose header cannot be read is refused before the port is
        // touched: nothing is written and the logger is left as it is.
        const TImageLoad load = loadImageFile(o.file, catalog.FileHeader, catalog.FileLines);
        if (load.result != TImageLoadResult::ok) {
            env.err << "tarvek2-cli: the image file \"" << o.file
                    << "\" cannot be used: " << load.error
                    << ". Nothing was written; check the file name, or run "
                       "\"tarvek2-cli check FILE\" for details.\n";
            return cExitFailure;
        }
        request.bFileSlot = true;
    }

    const auto output = makeOutput(o, env, request, catalog);
    const TRunOutcome outcome = runSessions(request, catalog, env.bCancel, *output, env.seams);
    return outcome.exitCode;
}
