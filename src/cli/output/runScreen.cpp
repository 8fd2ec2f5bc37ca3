// Screens that write whole lines to the output streams: one port as the
// updater always showed it, several ports with every line prefixed by its
// port and a tab, then the summary.
#include "cli/output/runScreen.h"

#include "cli/output/jsonOutput.h"
#include "cli/output/liveScreen.h"
#include "cli/output/outputNotes.h"
#include "cli/output/prefixStream.h"
#include "cli/output/quietOutput.h"
#include "cli/output/summaryTable.h"
#include "cli/output/terminalSummary.h"
#include "cli/output/textOutput.h"

namespace {

// "station" off a terminal: the port's result row when its run ends.
class TResultRowOutput final : public IPortOutput {
  public:
    TResultRowOutput(std::ostream& out, std::ostream& err) : FOut(out), FErr(err) {}
    void reportLine(const std::string&) override {}
    void notification(const TNotification&, const TNotifyRendering&) override {}
    void finished(const TPortResult& result) override {
        FOut << summaryRow(result) << '\n' << std::flush;
        printOutcomeNotes(FErr, result);
    }

  private:
    std::ostream& FOut;
    std::ostream& FErr;
};

class TStreamScreen final : public IRunScreen {
  public:
    TStreamScreen(const TScreenSetup& setup, std::ostream& out, std::ostream& err)
        : FSetup(setup), FOut(out), FErr(err) {}

    IPortOutput& addPort(const std::string& port) override {
        TPort p;
        std::ostream* out = &FOut;
        std::ostream* err = &FErr;
        if (FSetup.severalPorts || FSetup.station) {
            p.out = std::make_unique<TPrefixStream>(FOut, port + '\t');
            p.err = std::make_unique<TPrefixStream>(FErr, port + '\t');
            out = p.out.get();
            err = p.err.get();
        }
        if (FSetup.station) {
            p.output = std::make_unique<TResultRowOutput>(FOut, *err);
            FPorts.push_back(std::move(p));
            return *FPorts.back().output;
        }
        switch (FSetup.mode) {
        case TScreenMode::json:
            // Every object names its port: no prefix on standard output.
            p.output = std::make_unique<TJsonOutput>(FOut, *err, port);
            break;
        case TScreenMode::quiet:
            p.output = std::make_unique<TQuietOutput>(*out, *err);
            break;
        case TScreenMode::text: {
            std::unique_ptr<TProgressBar> bar;
            if (FSetup.terminal && !FSetup.severalPorts)
                bar = std::make_unique<TProgressBar>(
                    FErr, FSetup.clock ? *FSetup.clock : systemClock(), FSetup.width);
            auto text = std::make_unique<TTextOutput>(*out, *err, std::move(bar));
            p.text = text.get();
            p.output = std::move(text);
            break;
        }
        }
        FPorts.push_back(std::move(p));
        return *FPorts.back().output;
    }

    void cancelling() override {
        for (auto& p : FPorts)
            if (p.text) p.text->clearBar();
        printCancelNote(FErr, FSetup.severalPorts || FSetup.station);
        for (auto& p : FPorts)
            if (p.text) p.text->redrawBar();
    }

    void idle() override {
        for (auto& p : FPorts)
            p.output->idle();
    }

    void ended(const std::vector<TPortResult>& results) override {
        if (FSetup.severalPorts && !FSetup.station && FSetup.mode != TScreenMode::json)
            FOut << summaryTable(results) << std::flush;
        // One port on a terminal: its result for a person, after its report.
        if (FSetup.terminal && FSetup.mode == TScreenMode::text && !FSetup.severalPorts &&
            !FSetup.station)
            FOut << terminalSummary(results, FSetup.width) << std::flush;
    }

  private:
    struct TPort {
        std::unique_ptr<TPrefixStream> out, err;
        std::unique_ptr<IPortOutput> output;
        TTextOutput* text = nullptr;
    };

    TScreenSetup FSetup;
    std::ostream& FOut;
    std::ostream& FErr;
    std::vector<TPort> FPorts;
};

} // namespace

std::unique_ptr<IRunScreen> makeRunScreen(const TScreenSetup& setup, std::ostream& out,
                                          std::ostream& err) {
    if ((setup.severalPorts || setup.station) && setup.terminal && setup.mode == TScreenMode::text)
        return std::make_unique<TLiveScreen>(setup, out, err);
    return std::make_unique<TStreamScreen>(setup, out, err);
}
