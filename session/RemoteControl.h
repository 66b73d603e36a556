#pragma once
// The program steered from outside its window: `wendrel --list`, `--run`,
// `--enable` and `--disable` through the running instance's socket, and the
// same commands over D-Bus. Here: which task a name or position means, what
// each command does to the session, and the listing as text and as JSON.
#include <string>
#include <string_view>
#include <vector>

#include "session/Session.h"
#include "store/InstanceRequest.h"

namespace wendrel {

// Which of the first count tasks `key` means. A task's name as the user
// reads it, exactly, then in any case of the letters A-Z; a number that
// names no task is a position (1..count). Blanks after the key do not count,
// as the list keeps none after a name. When no single task fits, task is 0,
// failure is NoSuchTask or Ambiguous and reason says why in one line.
struct TaskMatch {
    int task = 0;
    ReplyStatus failure = ReplyStatus::Ok;
    std::string reason;
};
TaskMatch findTask(const General& g, int count, std::string_view key);

// One line of the listing.
struct ListedTask {
    int position = 0;
    std::string name;     // UTF-8
    std::string interval; // its caption, as the grid shows it
    std::string active;   // Yes / No, as the grid shows it
    bool isActive = false;
    Session::TaskStatus status;
};
// The first count tasks as the files hold them, with no status (nothing
// runs them).
std::vector<ListedTask> listedTasks(const General& g, int count);
// The session's tasks (not a new one the editor has not saved yet) with
// their next start and last outcome.
std::vector<ListedTask> listedTasks(const Session& s);

// A header line and one line per task, in columns.
std::string taskTable(const std::vector<ListedTask>& tasks);
// A JSON array of one object per task.
std::string taskJson(const std::vector<ListedTask>& tasks);
// text as a JSON string, quotes included; bytes that are not UTF-8 become
// U+FFFD.
std::string jsonString(std::string_view text);

// A last run's outcome as the listings name it ("succeeded", "failed",
// "running"; empty for none).
std::string outcomeText(Session::TaskStatus::Outcome outcome);

// What a request for the session does, and what it answers. Show is the
// window's (answered Ok here). A task to run is only checked: startTask says
// the caller is to run it once the reply has gone, as a run lasts as long as
// its script. task: the task the command was about (0: none), for the view.
struct CommandResult {
    InstanceReply reply;
    int task = 0;
    bool startTask = false;
};
CommandResult perform(Session& s, const InstanceRequest& request);

// The same with no instance running, on the files of folder: List and
// ListJson read the task list (nothing is next to start then), Enable and
// Disable change it in its file. What was met while reading or writing goes
// to problems; a list that could not be read whole is not changed. Not for
// Run and Show, which need the running program.
InstanceReply performOnFiles(const std::string& folder, const InstanceRequest& request,
                             std::vector<std::string>& problems);

} // namespace wendrel
