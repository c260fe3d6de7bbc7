#include "WorkstationScript.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <cstdio>

#include "WorkstationWindow.h"

namespace kadrix::workstation {

namespace {
void settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (clock.elapsed() < ms);
}
}  // namespace

platform::Result<std::vector<ScriptCommand>> parseScript(const std::string& text) {
    static const QStringList verbs = {"select", "capture", "lock", "unlock", "discard", "wait", "screenshot",
                                      "expect-queue", "quit"};
    std::vector<ScriptCommand> commands;
    const QStringList lines = QString::fromStdString(text).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].section('#', 0, 0).trimmed();
        if (line.isEmpty()) continue;
        const QString verb = line.section(' ', 0, 0);
        if (!verbs.contains(verb))
            return platform::Status::failure("line " + std::to_string(i + 1) + ": unknown command " + verb.toStdString());
        commands.push_back({i + 1, verb.toStdString(), line.section(' ', 1).trimmed().toStdString()});
    }
    return commands;
}

platform::Status runScript(const std::vector<ScriptCommand>& commands, WorkstationWindow& window) {
    for (const ScriptCommand& c : commands) {
        const auto fail = [&](const std::string& why) {
            return platform::Status::failure("line " + std::to_string(c.line) + " (" + c.verb + "): " + why);
        };
        if (c.verb == "select") {
            bool number = false;
            const int row = QString::fromStdString(c.argument).toInt(&number);
            if (!number || row < 0 || row >= window.patientCount()) return fail("no patient " + c.argument);
            window.selectPatient(row);
        } else if (c.verb == "capture") {
            const std::string file = window.capture();
            if (file.empty()) return fail("the capture was not written");
            std::printf("captured %s\n", file.c_str());
        } else if (c.verb == "lock" || c.verb == "unlock") {
            window.setReportLocked(c.verb == "lock");
        } else if (c.verb == "discard") {
            window.discardUnsaved();
        } else if (c.verb == "wait") {
            settle(QString::fromStdString(c.argument).toInt());
        } else if (c.verb == "screenshot") {
            settle(50);
            if (c.argument.empty() || !window.grab().save(QString::fromStdString(c.argument), "PNG"))
                return fail("cannot write " + c.argument);
            std::printf("screenshot written to %s\n", c.argument.c_str());
        } else if (c.verb == "expect-queue") {
            if (window.queueText() != c.argument) return fail("the queue shows '" + window.queueText() + "'");
        } else if (c.verb == "quit") {
            break;
        }
        settle(10);
    }
    std::fflush(stdout);
    return {};
}

}  // namespace kadrix::workstation
