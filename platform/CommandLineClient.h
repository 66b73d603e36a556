#pragma once
// `wendrel --list`, `--run TASK` and the other actions: done by the running
// instance of the program's folder, over its socket, and printed here. With
// none running, --list reads the task list from its file (and nothing is
// started); the others say that none runs. Never opens a window, so it works
// without a display.
#include "session/ProgramArguments.h"

namespace wendrel {

// Does what arguments ask (any action but Start, or a problem to tell) and
// returns the exit status. argc and argv are the program's own.
int runCommandLine(int& argc, char** argv, const ProgramArguments& arguments);

} // namespace wendrel
