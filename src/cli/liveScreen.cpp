#include "cli/liveScreen.h"

#include "cli/progressBar.h"
#include "cli/runOutputs.h"
#include "cli/summaryTable.h"
#include "images/uFWVersions.h"

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
                  durationText(elapsed).c_str(),
                  l.endMs >= 0        ? durationText(0).c_str()
                  : l.remainingMs < 0 ? "--:--"
                                      : durationText(l.remainingMs).c_str());
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

    void notification(const TNotification& n, const TNotifyRendering& r) override {
        const auto code = static_cast<std::uint16_t>(n.value & 0xFFFF);
        if (n.kind == cNT_CLASS && FClass == 0xFFFF) FClass = code;
        if (n.kind == cNT_PRINT) FPrint = code;
        // The class the update is for names the logger (a logger met in its
        // bootloader answered with the bootloader's class first).
        if (n.kind == cNT_UPDATE_CLASS && code != 0xFFFF) FClass = code;
        if ((n.kind == cNT_PRINT || n.kind == cNT_UPDATE_CLASS) && FPrint != 0xFFFF)
            line.logger = getClassName(FClass, FPrint) + " " + getPrintName(FPrint);
        if (n.kind == cNT_UPDATE_IMAGE) {
            // "Update Tarvek2 V2.08, A10e WLAN UART, BL3.0": the version.
            const auto v = r.text.find(" V");
            if (v != std::string::npos)
                line.image = r.text.substr(v + 1, r.text.find(',', v) - v - 1);
        }
        FScreen.redraw();
    }

    void stateChanged(const TControllerState& state) override {
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
    std::uint16_t FClass = 0xFFFF;
    std::uint16_t FPrint = 0xFFFF;
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
