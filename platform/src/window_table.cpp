#include "window_table.h"

namespace kadrix::platform {

WindowTable& WindowTable::instance() {
    static WindowTable table;
    return table;
}

std::shared_ptr<MessageWindow::Slot> WindowTable::add(QWidget* widget) {
    auto slot = std::make_shared<MessageWindow::Slot>();
    slot->widget = widget;
    std::lock_guard lock(mutex_);
    // Handles advance by 4 and are never reused, so a stale handle can't reach a new window.
    slot->handle = next_;
    next_ += 4;
    slots_.emplace(slot->handle, slot);
    return slot;
}

void WindowTable::remove(KxHwnd handle) {
    std::lock_guard lock(mutex_);
    slots_.erase(handle);
}

std::shared_ptr<MessageWindow::Slot> WindowTable::find(KxHwnd handle) const {
    std::lock_guard lock(mutex_);
    auto it = slots_.find(handle);
    return it == slots_.end() ? nullptr : it->second;
}

KxLResult defaultMessageHandling(QWidget* widget, const Message& message) {
    if (!widget) return 0;
    if (message.id == msg::Close) {
        widget->close();
    } else if (message.id == msg::SysCommand) {
        switch (message.wParam & 0xFFF0) {
            case syscmd::Close: widget->close(); break;
            case syscmd::Restore: widget->showNormal(); break;
            case syscmd::Minimize: widget->showMinimized(); break;
            case syscmd::Maximize: widget->showMaximized(); break;
            default: break;
        }
    }
    return 0;
}

KxLResult dispatchMessage(const std::shared_ptr<MessageWindow::Slot>& slot, const Message& message) {
    // A send queued from another thread may arrive after the window went.
    if (!slot->alive) return 0;
    std::shared_ptr<const MessageWindow::Handler> handler = slot->handler;
    if (handler && *handler) {
        if (std::optional<KxLResult> handled = (*handler)(message)) return *handled;
    }
    if (!slot->alive) return 0;
    return defaultMessageHandling(slot->widget.data(), message);
}

}  // namespace kadrix::platform
