// Session notifications as posted Qt events: the session thread posts, the
// window's thread handles them one at a time, in the order of posting.
// Posting never waits for the window.
#pragma once

#include "session/uNotify.h"

#include <QEvent>

class QObject;

class TNotifyEvent final : public QEvent {
  public:
    explicit TNotifyEvent(const TNotification& n);
    static QEvent::Type eventType();
    TNotification notification;
};

// The hand-over of an event object from the session thread to the window's
// thread.  Qt's posted-event queue orders it already, but with locks inside
// Qt's libraries that a thread checker cannot see; this release/acquire pair
// states the hand-over in our own code.  The window calls
// acquireNotifyEvents() before it looks at any event.
void acquireNotifyEvents();

// The sink a session is created with: turns every notification into a
// TNotifyEvent posted to the receiver.  The receiver must outlive the
// session thread.
class TWindowNotifySink final : public INotifySink {
  public:
    explicit TWindowNotifySink(QObject* receiver) : FReceiver(receiver) {}
    void post(const TNotification& n) override;

  private:
    QObject* FReceiver;
};
