// A window object that receives messages: it registers a handle for its lifetime and hands
// every message to its handler. A handler that returns no value lets the message take its
// normal course: on a Qt window the system commands close, restore, minimise and maximise it.
// A close asked for by the user through the window manager arrives as the close command
// first, so a handler that swallows that command keeps the window open.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "kadrix/platform/messages.h"

class QWidget;

namespace kadrix::platform {

class KX_PLATFORM_API MessageWindow {
public:
    using Handler = std::function<std::optional<KxLResult>(const Message&)>;

    // `widget` may be null for a window that only receives messages.
    explicit MessageWindow(QWidget* widget = nullptr, Handler handler = {});
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    KxHwnd handle() const;
    QWidget* widget() const;
    void setHandler(Handler handler);

    // The normal course of a message (what happens when the handler returns no value).
    KxLResult defaultHandling(const Message& message);

    struct Slot;

private:
    std::shared_ptr<Slot> slot_;
    std::unique_ptr<class MessageWindowFilter> filter_;
};

// The Qt window behind a handle; null for an unknown handle or a window without a widget.
KX_PLATFORM_API QWidget* widgetOfWindow(KxHwnd handle);

}  // namespace kadrix::platform
