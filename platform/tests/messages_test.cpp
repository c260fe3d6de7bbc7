#include "kadrix/platform/message_window.h"

#include <QApplication>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>
#include <QWidget>

#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "event_loop.h"

using namespace kadrix::platform;
using kadrix::testing::drainPostedEvents;

namespace {

struct Recorder {
    std::vector<uint32_t> seen;
    MessageWindow::Handler handler() {
        return [this](const Message& m) -> std::optional<KxLResult> {
            seen.push_back(m.id);
            return static_cast<KxLResult>(m.wParam + m.lParam);
        };
    }
};

}  // namespace

TEST(Messages, SendReturnsTheHandlersResultAndZeroForUnknownHandles) {
    Recorder r;
    MessageWindow window(nullptr, r.handler());
    EXPECT_NE(window.handle(), 0u);
    EXPECT_TRUE(isWindow(window.handle()));
    EXPECT_EQ(sendMessage(window.handle(), 1100, 40, 2), 42);
    EXPECT_EQ(r.seen, std::vector<uint32_t>{1100});
    EXPECT_EQ(sendMessage(0, 1100, 1, 1), 0);
    EXPECT_EQ(sendMessage(window.handle() + 4000, 1100, 1, 1), 0);
}

TEST(Messages, PostsArriveLaterInTheirOrder) {
    Recorder r;
    MessageWindow window(nullptr, r.handler());
    EXPECT_TRUE(postMessage(window.handle(), 5025));
    EXPECT_TRUE(postMessage(window.handle(), 3025));
    EXPECT_EQ(sendMessage(window.handle(), 3024), 0);
    EXPECT_EQ(r.seen, std::vector<uint32_t>{3024});  // the send does not wait for the queue
    drainPostedEvents();
    EXPECT_EQ(r.seen, (std::vector<uint32_t>{3024, 5025, 3025}));
}

TEST(Messages, PostToAWindowDestroyedMeanwhileIsDropped) {
    Recorder r;
    auto window = std::make_unique<MessageWindow>(nullptr, r.handler());
    const KxHwnd handle = window->handle();
    EXPECT_TRUE(postMessage(handle, 3029));
    window.reset();
    EXPECT_FALSE(isWindow(handle));
    EXPECT_FALSE(postMessage(handle, 3029));
    MessageWindow next(nullptr, r.handler());  // handles are not reused
    EXPECT_NE(next.handle(), handle);
    drainPostedEvents();
    EXPECT_TRUE(r.seen.empty());
}

TEST(Messages, SendsFromInsideAHandlerAreReentrant) {
    std::vector<std::string> trace;
    MessageWindow inner(nullptr, [&](const Message& m) -> std::optional<KxLResult> {
        trace.push_back("inner " + std::to_string(m.id));
        return 7;
    });
    MessageWindow outer(nullptr, {});
    outer.setHandler([&](const Message& m) -> std::optional<KxLResult> {
        trace.push_back("outer " + std::to_string(m.id));
        if (m.id == 1) return sendMessage(outer.handle(), 2) + sendMessage(inner.handle(), 3);
        return 1;
    });
    EXPECT_EQ(sendMessage(outer.handle(), 1), 8);
    EXPECT_EQ(trace, (std::vector<std::string>{"outer 1", "outer 2", "inner 3"}));
}

TEST(Messages, AWindowMayDestroyItselfInsideItsHandler) {
    auto window = std::make_unique<MessageWindow>();
    const KxHwnd handle = window->handle();
    window->setHandler([&](const Message&) -> std::optional<KxLResult> {
        window.reset();
        return 5;
    });
    EXPECT_EQ(sendMessage(handle, 1), 5);
    EXPECT_FALSE(isWindow(handle));
}

TEST(Messages, SendFromAnotherThreadRunsOnTheUserInterfaceThread) {
    std::thread::id handledOn;
    MessageWindow window(nullptr, [&](const Message&) -> std::optional<KxLResult> {
        handledOn = std::this_thread::get_id();
        return 9;
    });
    KxLResult result = 0;
    std::thread sender([&] { result = sendMessage(window.handle(), 1); });
    ASSERT_TRUE(kadrix::testing::processEventsUntil([&] { return result != 0; }));
    sender.join();
    EXPECT_EQ(result, 9);
    EXPECT_EQ(handledOn, std::this_thread::get_id());
}

TEST(Messages, SystemCommandsMoveTheQtWindowUnlessSwallowed) {
    QWidget widget;
    bool swallowClose = true;
    MessageWindow window(&widget, [&](const Message& m) -> std::optional<KxLResult> {
        if (m.id == msg::SysCommand && m.wParam == syscmd::Close && swallowClose) return 0;
        return std::nullopt;  // normal course
    });
    widget.show();
    sendMessage(window.handle(), msg::SysCommand, syscmd::Minimize);
    EXPECT_TRUE(widget.isMinimized());
    sendMessage(window.handle(), msg::SysCommand, syscmd::Restore);
    EXPECT_FALSE(widget.isMinimized());
    EXPECT_TRUE(widget.isVisible());

    sendMessage(window.handle(), msg::SysCommand, syscmd::Close);
    EXPECT_TRUE(widget.isVisible());
    swallowClose = false;
    sendMessage(window.handle(), msg::SysCommand, syscmd::Close);
    EXPECT_FALSE(widget.isVisible());
}

TEST(Messages, ACloseFromTheWindowManagerArrivesAsTheCloseCommand) {
    QWidget widget;
    std::vector<KxWParam> commands;
    MessageWindow window(&widget, [&](const Message& m) -> std::optional<KxLResult> {
        if (m.id == msg::SysCommand) commands.push_back(m.wParam);
        return 0;  // swallow everything
    });
    widget.show();
    // As the window manager does it: a close request from the platform, not from the program.
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
        widget.windowHandle());
    EXPECT_EQ(commands, std::vector<KxWParam>{syscmd::Close});
    EXPECT_TRUE(widget.isVisible());
}

TEST(Messages, CEntriesReachTheWindow) {
    Recorder r;
    MessageWindow window(nullptr, r.handler());
    EXPECT_EQ(kx_send_message(window.handle(), 1098, 3, 4), 7);
    EXPECT_EQ(kx_post_message(window.handle(), 1101, 0, 0), 1);
    EXPECT_EQ(kx_is_window(window.handle()), 1);
    drainPostedEvents();
    EXPECT_EQ(r.seen, (std::vector<uint32_t>{1098, 1101}));
}
