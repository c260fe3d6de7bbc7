// The process-wide table of window handles (internal to the runtime).
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>
#include <mutex>
#include <unordered_map>

#include "kadrix/platform/message_window.h"

namespace kadrix::platform {

// What a handle stands for. Shared with every dispatch in flight, so a window destroyed by its
// own handler leaves the running dispatch something valid to finish with.
struct MessageWindow::Slot {
    KxHwnd handle = 0;
    bool alive = true;
    std::shared_ptr<const Handler> handler;
    QPointer<QWidget> widget;
};

class WindowTable {
public:
    static WindowTable& instance();

    std::shared_ptr<MessageWindow::Slot> add(QWidget* widget);
    void remove(KxHwnd handle);
    std::shared_ptr<MessageWindow::Slot> find(KxHwnd handle) const;

private:
    mutable std::mutex mutex_;
    std::unordered_map<KxHwnd, std::shared_ptr<MessageWindow::Slot>> slots_;
    KxHwnd next_ = 0x10000;
};

// Runs a message through the slot's handler, then its normal course when unhandled.
KxLResult dispatchMessage(const std::shared_ptr<MessageWindow::Slot>& slot, const Message& message);
KxLResult defaultMessageHandling(QWidget* widget, const Message& message);
// The object posted messages are delivered to; null without an event loop, or when asked
// from another thread before any window made it.
QObject* postedMessageReceiver();

}  // namespace kadrix::platform
