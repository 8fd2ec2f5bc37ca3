// Which ports "station" updates: a port that appears in the port list is
// offered once, and again only after it has left the list (unplugged) and
// come back.  A port whose previous run still goes on (a logger pulled and
// plugged in again quickly) waits until that run has ended.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TPortArrivals {
  public:
    // The ports to start now, in list order, given the present list and
    // whether a port's run still goes on.
    std::vector<std::string> update(const std::vector<std::string>& present,
                                    const std::function<bool(const std::string&)>& running);

  private:
    std::set<std::string> FPresent; // in the list at the last look
    std::set<std::string> FWaiting; // arrived while its previous run went on
};

// When to look at the port list again: at the first call, after a hot-plug
// event, and once a second where the system tells of none.  One per
// platform: the udev monitor on Linux, a rescan of the registry's list on
// Windows.
class TPortEvents {
  public:
    TPortEvents();
    ~TPortEvents();
    TPortEvents(const TPortEvents&) = delete;
    TPortEvents& operator=(const TPortEvents&) = delete;

    bool due(long long nowMs);

  private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

inline constexpr long long cPortRescanMs = 1000;
