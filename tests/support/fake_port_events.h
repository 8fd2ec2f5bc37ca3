// A hot-plug source in the test's hands: it tells of a port change whenever
// the test's look() says so, and can offer a descriptor to wait on.
#pragma once

#include "serial/uPortWatcher.h"

#include <functional>
#include <memory>
#include <utility>

class TFakePortEvents final : public IPortEvents {
  public:
    struct TSetup {
        bool available = true;        // start() succeeds
        bool tellsEveryChange = true; // false: the watcher rescans besides
        int fd = -1;
        // Called at every look; true: a port arrived or went.  Empty: never.
        std::function<bool()> look;
    };
    // What the test keeps after handing the source to a watcher.
    struct TSeen {
        int starts = 0;
        int looks = 0;
        std::function<void()> wake;
    };

    explicit TFakePortEvents(TSetup setup, std::shared_ptr<TSeen> seen = {})
        : FSetup(std::move(setup)), FSeen(seen ? std::move(seen) : std::make_shared<TSeen>()) {}

    bool start(std::function<void()> wake) override {
        ++FSeen->starts;
        FSeen->wake = std::move(wake);
        return FSetup.available;
    }
    int fd() const override { return FSetup.fd; }
    bool takePortChange() override {
        ++FSeen->looks;
        return FSetup.look && FSetup.look();
    }
    bool tellsEveryChange() const override { return FSetup.tellsEveryChange; }

  private:
    TSetup FSetup;
    std::shared_ptr<TSeen> FSeen;
};
