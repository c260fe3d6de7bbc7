// Timers and idle-time hooks on the Qt event loop of the user-interface thread.
#pragma once

#include <functional>
#include <memory>

#include "kadrix/platform/export.h"

namespace kadrix::platform {

// A repeating timer: it fires every interval while enabled; an interval of 0 never fires.
// Changing the interval of a running timer starts its period again.
class KX_PLATFORM_API Timer {
public:
    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void setInterval(int milliseconds);
    int interval() const;
    void setEnabled(bool enabled);
    bool enabled() const;
    void setOnTimer(std::function<void()> handler);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Runs its function each time the event loop has handled what was queued and is about to
// wait: where action lists recompute what is enabled. Removed with the object.
class KX_PLATFORM_API IdleHook {
public:
    explicit IdleHook(std::function<void()> onIdle);
    ~IdleHook();
    IdleHook(const IdleHook&) = delete;
    IdleHook& operator=(const IdleHook&) = delete;

private:
    int id_;
};

}  // namespace kadrix::platform
