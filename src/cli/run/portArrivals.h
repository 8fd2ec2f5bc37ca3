// Which ports "station" updates: a port that appears in the port list is
// offered once, and again only after it has left the list (unplugged) and
// come back.  A port whose previous run still goes on (a logger pulled and
// plugged in again quickly) waits until that run has ended.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

class TPortArrivals {
  public:
    // The ports to start now, in list order, given the present list and
    // whether a port's run still goes on.
    std::vector<std::string> update(const std::vector<std::string>& present,
                                    const std::function<bool(const std::string&)>& running);
    // True while a port waits for its previous run to end.
    bool waiting() const { return !FWaiting.empty(); }

  private:
    std::set<std::string> FPresent; // in the list at the last look
    std::set<std::string> FWaiting; // arrived while its previous run went on
};
