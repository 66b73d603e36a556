#include "session/FailureNotices.h"

#include <cstring>

#include "model/Cp1252.h"

namespace wendrel {

namespace {
// A notice is read at a glance: a longer command line is cut.
constexpr std::size_t kMaxCommandBytes = 200;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string programFailure(const RunEvent& e, const std::string& program) {
    const std::string who = program.empty() ? "A waited program" : cutUtf8(program, kMaxCommandBytes);
    if (e.exitStatus->signal == 0) return who + " ended with exit status " + std::to_string(e.exitStatus->code) + ".";
    // strsignal names unknown signals too ("Unknown signal 70").
    return who + " was ended by signal " + std::to_string(e.exitStatus->signal) + " (" +
           ::strsignal(e.exitStatus->signal) + ").";
}
} // namespace

FailureNotice FailureNotices::noticeOf(const RunEvent& e, const std::string& program) {
    FailureNotice n{e.task, "Task " + quoted(e.task) + " failed", {}};
    switch (e.kind) {
        case RunEventKind::ScriptMissing:
            n.body = "Its script file " + quoted(e.script) + " does not exist.";
            break;
        case RunEventKind::ScriptUnreadable:
            n.body = "Its script file " + quoted(e.script) + " could not be read.";
            break;
        case RunEventKind::ProgramNotFound:
            n.body = "Could not start: " + cutUtf8(e.command, kMaxCommandBytes);
            break;
        case RunEventKind::KeysNotTyped:
            n.body = "Could not type: " + cutUtf8(e.command, kMaxCommandBytes);
            break;
        default:
            n.body = programFailure(e, program);
            break;
    }
    return n;
}

void FailureNotices::onRunEvent(const RunEvent& e) {
    if (e.kind == RunEventKind::Started) {
        tasks_[e.task].runFailed = false;
        return;
    }
    const auto it = tasks_.find(e.task);
    if (it == tasks_.end()) return; // a run that began before we listened
    TaskState& task = it->second;
    if (e.kind == RunEventKind::ProgramStarted) {
        task.pid = e.pid;
        task.command = e.command;
    } else if (e.kind == RunEventKind::Finished) {
        if (!task.runFailed) task.told.clear();
        if (task.told.empty()) tasks_.erase(it);
    } else if (isFailure(e)) {
        task.runFailed = true;
        if (task.told.insert(e.kind).second)
            notifier_.notify(noticeOf(e, e.pid == task.pid ? task.command : std::string()));
    }
}

} // namespace wendrel
