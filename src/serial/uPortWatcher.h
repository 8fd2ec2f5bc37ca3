// Ports that arrive and go, for every front end: the port box of both desktop
// programs and the CLI's station.  The watcher is the same on every platform;
// only its source of hot-plug events is the platform's own, chosen at build
// time: the udev monitor on Linux (uPortWatcher_linux.cpp), the
// WM_DEVICECHANGE broadcast to a hidden top-level window on Windows
// (uPortWatcher_win32.cpp).  Where the source gives no events, or may miss
// some (not every Windows serial driver announces its ports), the watcher also
// reads the port list itself once a second and tells of a change when the
// list differs from the last one.
//
// A front end drives it the same way on every platform: after start(), it
// calls changed() whenever fd() is readable (where fd() >= 0), every
// rescanEveryMs() (where that is > 0), and when the wake callback runs; then,
// when changed() says so, it reads the port list again.  changed() never
// waits.  Everything runs on the thread that called start().
#pragma once

#include "serial/uPortList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// How often the list is read where events alone do not tell every change.
inline constexpr int cPortRescanMs = 1000;

// The platform's hot-plug events of serial ports.
class IPortEvents {
  public:
    virtual ~IPortEvents() = default;
    // Begins listening; false when the system tells of no port changes here.
    // wake runs, on this thread, when an event arrives through the thread's
    // message loop rather than through fd().
    virtual bool start(std::function<void()> wake) = 0;
    // The descriptor that becomes readable when an event is pending; -1 when
    // there is none.
    virtual int fd() const = 0;
    // Takes every pending event without waiting: true when a port arrived or
    // went.
    virtual bool takePortChange() = 0;
    // True when every arrival and removal of a port comes as an event, so
    // that the list need not be read again unasked.
    virtual bool tellsEveryChange() const = 0;
};

// The source of this platform.
std::unique_ptr<IPortEvents> makePortEvents();
// Where a front end takes its source from: makePortEvents, or a test's.
using TPortEventsFactory = std::function<std::unique_ptr<IPortEvents>()>;

enum class TPortWatchMode {
    events, // the system's hot-plug events (on Windows with a rescan besides)
    rescan, // no events: the port list is read once a second
};

class TPortWatcher {
  public:
    // list: where the port names come from (empty: getPortList); events:
    // the hot-plug source (empty: this platform's).
    explicit TPortWatcher(TPortListSource list = {}, std::unique_ptr<IPortEvents> events = {});
    ~TPortWatcher();
    TPortWatcher(const TPortWatcher&) = delete;
    TPortWatcher& operator=(const TPortWatcher&) = delete;

    // Begins watching (a second call keeps the first's way).  Where the list
    // is rescanned, it is read now as the base of the first comparison.
    TPortWatchMode start(std::function<void()> wake = {});
    TPortWatchMode mode() const { return FMode; }
    // See IPortEvents::fd; -1 before start() and without events.
    int fd() const;
    // How often changed() wants to be called unasked; 0 when events suffice.
    int rescanEveryMs() const { return FRescanning ? cPortRescanMs : 0; }

    // True when a port arrived or went since the last call: an event came,
    // or, rescanning and at least cPortRescanMs after the last reading, the
    // list now differs.  nowMs: any steady clock in milliseconds.
    bool changed(std::int64_t nowMs);

  private:
    TPortListSource FList;
    std::unique_ptr<IPortEvents> FEvents;
    bool FStarted = false;
    bool FListening = false;
    bool FRescanning = false;
    TPortWatchMode FMode = TPortWatchMode::rescan;
    std::vector<std::string> FLastList;
    std::optional<std::int64_t> FLastScanMs;
};
