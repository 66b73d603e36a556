#pragma once
// Tells the user when a task's run goes wrong, through the desktop's
// notifications, without telling the same thing over and over.
//
// The rule: each task has its failure kinds (script missing, script
// unreadable, program not found, a waited program that failed, keys not
// typed). A kind is told the first time it happens; while the task keeps
// failing that way it is not told again. It is told again only after a run of
// that task has finished without any failure. Kinds and tasks are apart: a
// task whose program is not found is still told when its script goes
// missing, and one task's failure never silences another's.
#include <map>
#include <optional>
#include <set>
#include <string>

#include "model/RunEvent.h"

namespace wendrel {

struct FailureNotice {
    std::string task;    // the task's name: the notice's action shows its history
    std::string summary; // names the task
    std::string body;    // says what failed, plain text
};

// Shows notices on the desktop; the real one lives in platform/, tests use a fake.
class FailureNotifier {
public:
    virtual ~FailureNotifier() = default;
    // Must not wait for the desktop, nor fail when no one listens.
    virtual void notify(const FailureNotice& notice) = 0;
};

class FailureNotices {
public:
    explicit FailureNotices(FailureNotifier& notifier) : notifier_(notifier) {}

    // Every event of every run, in order (see Session::addRunListener).
    void onRunEvent(const RunEvent& event);

    // The notice of a failure event. program: the command line of the program
    // the event is about when the event does not carry it (a waited program).
    static FailureNotice noticeOf(const RunEvent& event, const std::string& program);

private:
    struct TaskState {
        std::set<RunEventKind> told; // kinds told since the last run without failure
        bool runFailed = false;      // in the run going on
        std::optional<double> pid;   // the program this task started last
        std::string command;         // its command line
    };

    FailureNotifier& notifier_;
    // Only tasks that are running or have something told: a task whose run
    // succeeds with nothing told leaves no entry behind.
    std::map<std::string, TaskState> tasks_;
};

} // namespace wendrel
