// Starts the event loop, makes a window through the runtime, sends it one message and posts it
// another, and reports what came back. With --keep-open the window stays until it is closed.
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include "kadrix/platform/host_string.h"
#include "kadrix/platform/message_window.h"

using namespace kadrix::platform;

namespace {
constexpr uint32_t AskGreeting = msg::User + 1;
constexpr uint32_t Finish = msg::User + 2;
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool keepOpen = argc > 1 && std::strcmp(argv[1], "--keep-open") == 0;

    QLabel label("Kadrix");
    label.setMinimumSize(320, 80);
    label.setAlignment(Qt::AlignCenter);
    int exchanged = 0;
    MessageWindow window(&label, [&](const Message& m) -> std::optional<KxLResult> {
        if (m.id == AskGreeting) {
            ++exchanged;
            auto greeting = HostString::fromUtf8("影像管理 ready");
            label.setText(QString::fromStdString(*greeting->toUtf8()));
            return static_cast<KxLResult>(greeting->bytes().size());
        }
        if (m.id == Finish) {
            ++exchanged;
            std::printf("window %#lx exchanged %d messages\n", static_cast<unsigned long>(window.handle()),
                        exchanged);
            std::fflush(stdout);
            if (!keepOpen) app.quit();
            return 0;
        }
        return std::nullopt;
    });
    label.show();

    QTimer::singleShot(0, [&] {
        const KxLResult length = sendMessage(window.handle(), AskGreeting);
        std::printf("greeting is %ld bytes in CP936\n", static_cast<long>(length));
        postMessage(window.handle(), Finish);
    });
    return app.exec();
}
