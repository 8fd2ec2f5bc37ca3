#include "ui/uNotifyEvent.h"

#include <QCoreApplication>

#include <atomic>

namespace {
std::atomic<unsigned> gNotifyHandOver{0};
}

void acquireNotifyEvents() {
    gNotifyHandOver.load(std::memory_order_acquire);
}

QEvent::Type TNotifyEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TNotifyEvent::TNotifyEvent(const TNotification& n) : QEvent(eventType()), notification(n) {}

void TWindowNotifySink::post(const TNotification& n) {
    auto* event = new TNotifyEvent(n);
    gNotifyHandOver.fetch_add(1, std::memory_order_release);
    QCoreApplication::postEvent(FReceiver, event);
}
