#include "ui/uNotifyEvent.h"

#include <QCoreApplication>

QEvent::Type TNotifyEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TNotifyEvent::TNotifyEvent(const TNotification& n) : QEvent(eventType()), notification(n) {}

void TWindowNotifySink::post(const TNotification& n) {
    QCoreApplication::postEvent(FReceiver, new TNotifyEvent(n));
}
