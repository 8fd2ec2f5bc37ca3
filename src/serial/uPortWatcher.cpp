#include "serial/uPortWatcher.h"

#include <utility>

TPortWatcher::TPortWatcher(TPortListSource list, std::unique_ptr<IPortEvents> events)
    : FList(std::move(list)), FEvents(std::move(events)) {
    if (!FList) FList = [](std::vector<std::string>& sl) { getPortList(sl); };
    if (!FEvents) FEvents = makePortEvents();
}

TPortWatcher::~TPortWatcher() = default;

TPortWatchMode TPortWatcher::start(std::function<void()> wake) {
    if (FStarted) return FMode;
    FStarted = true;
    FListening = FEvents && FEvents->start(std::move(wake));
    FMode = FListening ? TPortWatchMode::events : TPortWatchMode::rescan;
    FRescanning = !FListening || !FEvents->tellsEveryChange();
    if (FRescanning) FList(FLastList);
    return FMode;
}

int TPortWatcher::fd() const {
    return FListening ? FEvents->fd() : -1;
}

bool TPortWatcher::changed(std::int64_t nowMs) {
    if (!FStarted) return false;
    bool change = FListening && FEvents->takePortChange();
    if (!FRescanning) return change;
    if (!FLastScanMs) FLastScanMs = nowMs; // the list was read at start()
    // After an event the list is read at once, so that the next rescan
    // compares with what the caller is about to see.
    if (change || nowMs - *FLastScanMs >= cPortRescanMs) {
        FLastScanMs = nowMs;
        std::vector<std::string> now;
        FList(now);
        change = change || now != FLastList;
        FLastList = std::move(now);
    }
    return change;
}
