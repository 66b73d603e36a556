#pragma once
// The command line of the program: with none of these options it starts (or
// shows the running one); with one, it does that one thing and ends.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/InstanceRequest.h"

namespace wendrel {

struct ProgramArguments {
    enum class Action { Start, Help, Version, Show, List, Run, Enable, Disable };
    Action action = Action::Start;
    bool json = false;   // --list --json
    std::string task;    // the name or position for --run, --enable, --disable
    std::string problem; // not empty: the arguments are wrong, and this says how
};

// The arguments after the program's name. Words that are no option of ours
// are the toolkit's (-platform offscreen) when the program starts, and wrong
// beside one of ours.
ProgramArguments parseProgramArguments(const std::vector<std::string>& arguments);

// What the running instance is asked for the action; nothing for Start,
// Help and Version.
std::optional<InstanceRequest> requestFor(const ProgramArguments& arguments);

// The exit statuses of the command-line actions.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;     // no such task, several of that name, it did not start, or not saved
inline constexpr int kExitUsage = 2;      // wrong options
inline constexpr int kExitNotRunning = 3; // none runs for --run or --show, or the running one does not answer
int exitStatusOf(ReplyStatus status);

} // namespace wendrel
