#include "kadrix/platform/messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>

#include "window_table.h"

namespace kadrix::platform {
namespace {

const QEvent::Type PostedMessageType = static_cast<QEvent::Type>(QEvent::registerEventType());

struct PostedMessage : QEvent {
    PostedMessage(KxHwnd h, const Message& m) : QEvent(PostedMessageType), handle(h), message(m) {}
    KxHwnd handle;
    Message message;
};

// Lives on the user-interface thread and delivers queued messages in the order they were posted.
class PostedMessageReceiver : public QObject {
public:
    using QObject::QObject;

protected:
    void customEvent(QEvent* event) override {
        if (event->type() != PostedMessageType) return;
        auto* posted = static_cast<PostedMessage*>(event);
        if (auto slot = WindowTable::instance().find(posted->handle))
            dispatchMessage(slot, posted->message);
    }
};

}  // namespace

// The receiver belongs to the application object, so it goes with it; a later application
// object gets a new one. It is made on the user-interface thread only (a window's construction
// makes it), since adopting a child of the application from another thread would race.
QObject* postedMessageReceiver() {
    static QPointer<QObject> current;
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return nullptr;
    if (!current || current->parent() != app) {
        if (QThread::currentThread() != app->thread()) return nullptr;
        auto* fresh = new PostedMessageReceiver;
        fresh->moveToThread(app->thread());
        fresh->setParent(app);
        current = fresh;
    }
    return current.data();
}

namespace {

bool onUserInterfaceThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

}  // namespace
}  // namespace kadrix::platform

using namespace kadrix::platform;

extern "C" {

KxLResult kx_send_message(KxHwnd window, uint32_t message, KxWParam wParam, KxLParam lParam) {
    auto slot = WindowTable::instance().find(window);
    if (!slot) return 0;
    const Message m{message, wParam, lParam};
    if (onUserInterfaceThread()) return dispatchMessage(slot, m);
    // A send from another thread runs on the window's thread, the sender waiting for it.
    KxLResult result = 0;
    QObject* target = postedMessageReceiver();
    if (!target) return 0;
    QMetaObject::invokeMethod(
        target, [&] { result = dispatchMessage(slot, m); }, Qt::BlockingQueuedConnection);
    return result;
}

int kx_post_message(KxHwnd window, uint32_t message, KxWParam wParam, KxLParam lParam) {
    if (!WindowTable::instance().find(window)) return 0;
    QObject* target = postedMessageReceiver();
    if (!target) return 0;
    QCoreApplication::postEvent(target, new PostedMessage(window, Message{message, wParam, lParam}));
    return 1;
}

int kx_is_window(KxHwnd window) { return WindowTable::instance().find(window) ? 1 : 0; }

}  // extern "C"
