#include "cli/output/liveScreen.h"

#include "cli/output/fittedLine.h"
#include "cli/output/outputNotes.h"
#include "cli/output/progressBar.h"
#include "cli/output/terminalSummary.h"
#include "controller/uTimeLeft.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::int64_t cRedrawEveryMs = 200;

} // namespace

std::string liveLineText(const TLiveLine& l, std::int64_t nowMs, int width) {
    const bool ended = l.endMs >= 0;
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d%%", std::clamp(l.percent, 0, 100));
    // While the run goes on, the percent stands where the result's word
    // will: the column a person's eye goes down.
    std::vector<TLineField> fields{{ended ? l.word : std::string(percent), 4},
                                   {l.port, 14, 0, true},
                                   {l.logger.empty() ? "-" : l.logger, 22, 1},
                                   {l.image.empty() ? "-" : l.image, 5, 3},
                                   {elapsedText((ended ? l.endMs : nowMs) - l.startMs), 4, 2}};
    if (!ended) {
        const std::int64_t left = remainingMsAt(l.remainingMs, l.estimatedAtMs, nowMs);
        fields.push_back({(left < 0 ? std::string("--:--") : timeLeftText(left)) + " left", 9});
    }
    fields.push_back({l.state});
    return fittedLine(std::move(fields), static_cast<std::size_t>(std::max(width, 2) - 1));
}

// One port's line, fed by its controller's events.
class TLiveScreen::TPortLine final : public IPortOutput {
  public:
    TPortLine(TLiveScreen& screen, const std::string& port) : FScreen(screen) {
        line.port = port;
        line.startMs = screen.clock().nowMs();
    }

    void reportLine(const std::string&) override {}

    void notification(const TNotification&, const TNotifyRendering&) override { FScreen.redraw(); }

    void stateChanged(const TControllerState& state) override {
        // The logger once it told its print, the image once it is written.
        if (const std::string name = loggerName(state.logger); !name.empty()) line.logger = name;
        if (state.image.chosen()) line.image = imageVersion(state.image.header);
        line.percent = state.progress;
        line.remainingMs = state.remainingMs;
        line.estimatedAtMs = state.estimatedAtMs;
        if (!state.status.empty()) line.state = state.status;
        FScreen.redraw();
    }

    void finished(const TPortResult& result) override {
        line.endMs = FScreen.clock().nowMs();
        line.word = resultWord(result);
        line.state = result.outcome.rendering.text;
        std::ostringstream notes;
        printOutcomeNotes(notes, result);
        std::string text;
        if (FScreen.FSetup.station) {
            // The result row stays above; the live line goes.
            text = terminalSummary({result}, FScreen.FSetup.width);
            hidden = true;
        }
        std::istringstream in(notes.str());
        for (std::string l; std::getline(in, l);)
            text += line.port + '\t' + l + '\n';
        if (!text.empty()) FScreen.printAbove(text);
        FScreen.redraw(true);
    }

    TLiveLine line;
    bool hidden = false;

  private:
    TLiveScreen& FScreen;
};

TLiveScreen::TLiveScreen(const TScreenSetup& setup, std::ostream& out, std::ostream& err)
    : FSetup(setup), FOut(out), FErr(err), FClock(setup.clock ? *setup.clock : systemClock()) {}

TLiveScreen::~TLiveScreen() = default;

IPortOutput& TLiveScreen::addPort(const std::string& port) {
    FLines.push_back(std::make_unique<TPortLine>(*this, port));
    redraw(true);
    return *FLines.back();
}

void TLiveScreen::printAbove(const std::string& text) {
    // Up to the first live line, erase to the end of the screen, the text,
    // then the live lines again below it.
    if (FShown > 0) FErr << "\x1b[" << FShown << "F\x1b[J";
    FShown = 0;
    FErr << text;
    redraw(true);
}

void TLiveScreen::redraw(bool force) {
    const std::int64_t now = FClock.nowMs();
    if (!force && FLastDraw >= 0 && now - FLastDraw < cRedrawEveryMs) return;
    FLastDraw = now;
    std::string block;
    if (FShown > 0) block += "\x1b[" + std::to_string(FShown) + "F";
    std::size_t shown = 0;
    for (const auto& l : FLines)
        if (!l->hidden) {
            block += "\r" + liveLineText(l->line, now, FSetup.width) + "\x1b[K\n";
            ++shown;
        }
    // Lines that went since the last draw are wiped.
    if (shown < FShown) block += "\x1b[J";
    FErr << block << std::flush;
    FShown = shown;
}

void TLiveScreen::cancelling() {
    std::ostringstream note;
    printCancelNote(note, true);
    printAbove(note.str());
}

void TLiveScreen::idle() {
    redraw();
}

void TLiveScreen::ended(const std::vector<TPortResult>& results) {
    redraw(true);
    if (!FSetup.station) FOut << terminalSummary(results, FSetup.width) << std::flush;
}
