// Runs the workstation from a script, for machines without a display and for tests. One
// command a line: "select N", "capture", "lock", "unlock", "discard", "wait MS",
// "screenshot FILE" (PNG of the whole window), "expect-queue TEXT", "quit"; "#" starts a comment.
#pragma once

#include <string>
#include <vector>

#include "kadrix/platform/status.h"

namespace kadrix::workstation {

class WorkstationWindow;

struct ScriptCommand {
    int line = 0;
    std::string verb;
    std::string argument;
};

platform::Result<std::vector<ScriptCommand>> parseScript(const std::string& text);
// Runs every command; a failing command stops the run with its line named.
platform::Status runScript(const std::vector<ScriptCommand>& commands, WorkstationWindow& window);

}  // namespace kadrix::workstation
