// Helpers for tests that drive the Qt event loop.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace kadrix::testing {

// Runs a real event loop (so idle-time work happens as in a program) until `done` holds or the
// time runs out; returns whether it holds.
inline bool processEventsUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    if (done()) return true;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() > timeoutMs) loop.quit();
    });
    poll.start();
    loop.exec();
    return done();
}

// Delivers what is queued now.
inline void drainPostedEvents() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace kadrix::testing
