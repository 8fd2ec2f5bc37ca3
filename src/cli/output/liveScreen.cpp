#include "cli/output/liveScreen.h"

#include "cli/output/outputNotes.h"
#include "cli/output/progressBar.h"
#include "cli/output/summaryTable.h"
#include "controller/uTimeLeft.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::int64_t cRedrawEveryMs = 200;

std::string padded(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

} // namespace

std::string liveLineText(const TLiveLine& l, std::int64_t nowMs, int width) {
    const std::int64_t elapsed = (l.endMs >= 0 ? l.endMs : nowMs) - l.startMs;
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%3d%%  %s  %s left", std::clamp(l.percent, 0, 100),
                  elapsedText(elapsed).c_str(),
                  l.endMs >= 0        ? timeLeftText(0).c_str()
                  : l.remainingMs < 0 ? "--:--"
                                      : timeLeftText(l.remainingMs).c_str());
    std::string text = padded(l.port, 14) + "  " + padded(l.logger.empty() ? "-" : l.logger, 22) +
                       "  " + padded(l.image.empty() ? "-" : l.image, 6) + "  " + numbers + "  " +
                       l.state;
    if (width > 1 && static_cast<int>(text.size()) > width - 1) text.resize(width - 1);
    return text;
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
        if (!state.status.empty()) line.state = state.status;
        FScreen.redraw();
    }

    void finished(const TPortResult& result) override {
        line.endMs = FScreen.clock().nowMs();
        line.state = result.outcome.rendering.text;
        std::ostringstream notes;
        printOutcomeNotes(notes, result);
        std::string text;
        if (FScreen.FSetup.station) {
            // The result row stays above; the live line goes.
            text = summaryRow(result) + '\n';
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
    if (!FSetup.station) FOut << summaryTable(results) << std::flush;
}
