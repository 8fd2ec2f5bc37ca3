#include "cli/run/portArrivals.h"

std::vector<std::string>
TPortArrivals::update(const std::vector<std::string>& present,
                      const std::function<bool(const std::string&)>& running) {
    std::vector<std::string> start;
    std::set<std::string> now;
    for (const auto& p : present) {
        if (!now.insert(p).second) continue;
        const bool arrived = !FPresent.count(p);
        if (arrived || FWaiting.count(p)) {
            if (running(p))
                FWaiting.insert(p);
            else {
                FWaiting.erase(p);
                start.push_back(p);
            }
        }
    }
    // A port that left is forgotten: when it comes back it is new.
    for (auto it = FWaiting.begin(); it != FWaiting.end();)
        it = now.count(*it) ? std::next(it) : FWaiting.erase(it);
    FPresent = std::move(now);
    return start;
}
