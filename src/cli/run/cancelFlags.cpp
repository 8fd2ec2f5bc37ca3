#include "cli/run/cancelFlags.h"

struct TCancelFlagNode {
    std::atomic<bool> cancel{false};
    std::atomic<bool> taken{false};
    TCancelFlagNode* next = nullptr; // set before the node is published, never changed after
};

namespace {

// The list only grows; a node once published stays in it for good.
std::atomic<TCancelFlagNode*> gFlags{nullptr};

} // namespace

// A signal handler may only touch lock-free atomics.
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<TCancelFlagNode*>::is_always_lock_free);

TCancelFlag::TCancelFlag() : FNode(nullptr) {
    for (TCancelFlagNode* n = gFlags.load(); n; n = n->next) {
        bool free = false;
        if (n->taken.compare_exchange_strong(free, true)) {
            FNode = n;
            break;
        }
    }
    if (!FNode) {
        FNode = new TCancelFlagNode;
        FNode->taken.store(true);
        FNode->next = gFlags.load();
        while (!gFlags.compare_exchange_weak(FNode->next, FNode)) {
        }
    }
    FNode->cancel.store(false);
}

TCancelFlag::~TCancelFlag() {
    FNode->taken.store(false);
}

std::atomic<bool>& TCancelFlag::flag() {
    return FNode->cancel;
}

void raiseEveryCancelFlag() noexcept {
    for (TCancelFlagNode* n = gFlags.load(); n; n = n->next)
        if (n->taken.load()) n->cancel.store(true);
}
