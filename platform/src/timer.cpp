#include "kadrix/platform/timer.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>

#include <map>

namespace kadrix::platform {

struct Timer::Impl {
    QTimer timer;
    bool enabled = false;
    std::function<void()> handler;

    void apply() {
        if (enabled && timer.interval() > 0)
            timer.start();
        else
            timer.stop();
    }
};

Timer::Timer() : impl_(std::make_unique<Impl>()) {
    impl_->timer.setInterval(1000);
    QObject::connect(&impl_->timer, &QTimer::timeout, [impl = impl_.get()] {
        if (impl->handler) impl->handler();
    });
}

Timer::~Timer() = default;

void Timer::setInterval(int milliseconds) {
    impl_->timer.setInterval(milliseconds < 0 ? 0 : milliseconds);
    impl_->apply();
}

int Timer::interval() const { return impl_->timer.interval(); }

void Timer::setEnabled(bool enabled) {
    impl_->enabled = enabled;
    impl_->apply();
}

bool Timer::enabled() const { return impl_->enabled; }

void Timer::setOnTimer(std::function<void()> handler) { impl_->handler = std::move(handler); }

namespace {

// The hooks run when the user-interface thread's dispatcher is about to wait for events.
class IdleHooks {
public:
    static IdleHooks& instance() {
        static IdleHooks hooks;
        return hooks;
    }

    int add(std::function<void()> hook) {
        attach();
        hooks_.emplace(++lastId_, std::move(hook));
        return lastId_;
    }

    void remove(int id) { hooks_.erase(id); }

private:
    void attach() {
        QCoreApplication* app = QCoreApplication::instance();
        QAbstractEventDispatcher* dispatcher = app ? QAbstractEventDispatcher::instance(app->thread()) : nullptr;
        if (!dispatcher || dispatcher == attachedTo_) return;
        QObject::disconnect(connection_);
        connection_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [this] { run(); });
        attachedTo_ = dispatcher;
    }

    void run() {
        if (running_) return;  // a hook that runs a nested loop does not run the hooks again
        running_ = true;
        // Hooks may add or remove hooks: walk by id, looking each one up again.
        for (int id = 0;;) {
            auto it = hooks_.upper_bound(id);
            if (it == hooks_.end()) break;
            id = it->first;
            std::function<void()> hook = it->second;
            hook();
        }
        running_ = false;
    }

    std::map<int, std::function<void()>> hooks_;
    int lastId_ = 0;
    bool running_ = false;
    QAbstractEventDispatcher* attachedTo_ = nullptr;
    QMetaObject::Connection connection_;
};

}  // namespace

IdleHook::IdleHook(std::function<void()> onIdle) : id_(IdleHooks::instance().add(std::move(onIdle))) {}

IdleHook::~IdleHook() { IdleHooks::instance().remove(id_); }

}  // namespace kadrix::platform
