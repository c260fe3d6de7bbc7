#include "kadrix/platform/timer.h"

#include <QTimer>

#include <gtest/gtest.h>

#include "event_loop.h"

using namespace kadrix::platform;
using kadrix::testing::processEventsUntil;

TEST(Timer, FiresWhileEnabledOnly) {
    Timer timer;
    int ticks = 0;
    timer.setOnTimer([&] { ++ticks; });
    timer.setInterval(10);
    EXPECT_FALSE(timer.enabled());
    timer.setEnabled(true);
    ASSERT_TRUE(processEventsUntil([&] { return ticks >= 2; }));
    timer.setEnabled(false);
    const int stopped = ticks;
    QTimer::singleShot(50, [] {});
    processEventsUntil([] { return false; }, 80);
    EXPECT_EQ(ticks, stopped);
}

TEST(Timer, ZeroIntervalNeverFires) {
    Timer timer;
    int ticks = 0;
    timer.setOnTimer([&] { ++ticks; });
    timer.setInterval(0);
    timer.setEnabled(true);
    processEventsUntil([] { return false; }, 60);
    EXPECT_EQ(ticks, 0);
}

TEST(IdleHook, RunsWhenTheQueueIsEmptyAndStopsWithItsObject) {
    int runs = 0;
    {
        IdleHook hook([&] { ++runs; });
        ASSERT_TRUE(processEventsUntil([&] { return runs > 0; }));
    }
    const int after = runs;
    processEventsUntil([] { return false; }, 50);
    EXPECT_EQ(runs, after);
}
