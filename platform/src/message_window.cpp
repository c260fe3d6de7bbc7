#include "kadrix/platform/message_window.h"

#include <QCloseEvent>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include "window_table.h"

namespace kadrix::platform {

// Turns what the window manager asks of the Qt window into the platform's messages.
class MessageWindowFilter : public QObject {
public:
    explicit MessageWindowFilter(std::shared_ptr<MessageWindow::Slot> slot) : slot_(std::move(slot)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Close:
                // Only a close from outside goes through the close command; the normal
                // handling of that command closes the window itself, not spontaneously.
                if (event->spontaneous()) {
                    event->ignore();
                    dispatch(Message{msg::SysCommand, syscmd::Close, 0});
                    return true;
                }
                return false;
            case QEvent::NonClientAreaMouseButtonPress:
                dispatch(Message{msg::NcLButtonDown, 0, 0});
                return false;
            default: return QObject::eventFilter(watched, event);
        }
    }

private:
    // The handler may destroy the window and this filter with it: nothing of ours is touched
    // after the dispatch, which holds its own reference to the slot.
    void dispatch(const Message& m) {
        const std::shared_ptr<MessageWindow::Slot> slot = slot_;
        dispatchMessage(slot, m);
    }
    std::shared_ptr<MessageWindow::Slot> slot_;
};

MessageWindow::MessageWindow(QWidget* widget, Handler handler)
    : slot_(WindowTable::instance().add(widget)) {
    postedMessageReceiver();  // made here, on the user-interface thread
    setHandler(std::move(handler));
    if (widget) {
        filter_ = std::make_unique<MessageWindowFilter>(slot_);
        widget->installEventFilter(filter_.get());
    }
}

MessageWindow::~MessageWindow() {
    slot_->alive = false;
    slot_->handler.reset();
    if (filter_ && slot_->widget) slot_->widget->removeEventFilter(filter_.get());
    WindowTable::instance().remove(slot_->handle);
}

KxHwnd MessageWindow::handle() const { return slot_->handle; }

QWidget* MessageWindow::widget() const { return slot_->widget.data(); }

void MessageWindow::setHandler(Handler handler) {
    slot_->handler = handler ? std::make_shared<const Handler>(std::move(handler)) : nullptr;
}

QWidget* widgetOfWindow(KxHwnd handle) {
    auto slot = WindowTable::instance().find(handle);
    return slot ? slot->widget.data() : nullptr;
}

KxLResult MessageWindow::defaultHandling(const Message& message) {
    return defaultMessageHandling(slot_->widget.data(), message);
}

}  // namespace kadrix::platform
