#pragma once
// One run of the program on its folder: the task table, the store, the run
// state, the scheduler, the script engine and the run history, and every
// operation on the list with the rule of when it is saved. The windows show
// the session and pass the user's commands on to it; nothing here knows of
// widgets, so the rules are tested without them.
//
// Save rules: every change of the table or an option is written at once,
// except a task that New added, which is not written (nor counted in the
// file) until the editor commits it. A failed save is reported once, and
// again only after a save has succeeded in between. The unload writes one
// last time and, when the folder cannot take the list, writes it into the
// fallback folder instead, saying so on stderr.
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/General.h"
#include "model/TaskList.h"
#include "scheduler/Scheduler.h"
#include "script/Platform.h"
#include "store/RunLogFile.h"
#include "script/ScriptEngine.h"
#include "session/Rules.h"
#include "store/TaskStore.h"

namespace wendrel {

class Session {
public:
    // Every service must be there except loginStart and textEditor (see
    // Services). fallbackFolder: where the unload writes the list when the
    // folder cannot take it; empty: nowhere.
    Session(std::string folder, Services services, std::string fallbackFolder = {});

    General& general() { return g_; }
    const General& general() const { return g_; }
    const std::string& folder() const { return folder_; }
    const Services& services() const { return services_; }
    Scheduler& scheduler() { return scheduler_; }
    void setFallbackFolder(std::string folder) { fallbackFolder_ = std::move(folder); }

    // The start-up: caption tables, options, task lines and the state file
    // of the tasks' last starts (the files are created when missing).
    void load();
    // The problems met while loading, as one message; empty when none.
    std::string loadProblemText() const;

    // Task n (1..TaskCount), or 0: the task of grid row `row`, if it holds one.
    int taskOfRow(int row) const { return row + 1 <= g_.TaskCount ? row + 1 : 0; }

    // New: adds a blank task that stays pending (not written) until Commit.
    // currentRow: the row current before, where Cancel returns. Returns the
    // new slot, or 0 when the list is full (nothing changes then).
    int newTask(int currentRow);
    bool newTaskPending() const { return newTaskPending_; }
    // The row that was current when New was chosen.
    int rowBeforeNew() const { return taskBeforeNew_ - 1; }
    // The editor's fields go into slot n (the run-time state stays); nothing
    // is written. For the editor's steps that store without saving.
    void storeFields(int n, const TaskRecord& fields);
    // The editor's Save: the fields go into slot n, a pending new task is
    // pending no more, and the list is saved.
    void commit(int n, const TaskRecord& fields);
    // The editor was left without saving: a pending new task goes again.
    // Returns whether one went.
    bool cancel();
    // Names the script file of slot n (the new-script dialog); not saved.
    void setScriptFile(int n, const std::string& recordText);

    // Asks whether task k may go and removes it on Yes (saved). Returns
    // whether it went.
    bool remove(int k);
    // A dragged row's move: asks when it changes the order and moves on Yes
    // (saved). Returns whether the task moved.
    bool move(const RowMove& move);
    // Switches task k on or off (saved).
    void ToggleActive(int k);
    // Makes task k active (1) or inactive (0); saved when that changes it.
    void setActive(int k, bool active);
    // Runs task k at once, as the tick runs a due task.
    struct RunNowResult {
        bool started = false;
        std::string refusal; // why a task that is there did not start
    };
    RunNowResult runNow(int k);
    // What runNow(k) would do now, without starting anything.
    RunNowResult mayRunNow(int k) const;

    // What the grid and the command line show of task k beside its fields.
    // A run's outcome is Failed when any of its events was a failure (see
    // isFailure); a run still going when the program stopped counts as failed.
    struct TaskStatus {
        std::optional<DateTime> nextStart; // local; none when inactive or never again
        bool running = false;
        std::optional<DateTime> lastStart; // local
        enum class Outcome { None, Succeeded, Failed, Running };
        Outcome lastOutcome = Outcome::None;
        std::string lastFailure; // what went wrong, as the run history says it
    };
    TaskStatus status(int k) const;

    enum class Option { MinimizeOnStartup, MinimizeToTray, RunMissedTasks };
    // Flips the option and saves; returns whether it is now on.
    bool toggleOption(Option option);
    bool option(Option option) const;

    // The schedule tick: shown (when given) gets the time the tick works at
    // before any task starts. Does nothing once the session is unloaded.
    void tick(const std::function<void(const DateTime&)>& shown = {});

    // Writes both files, without a pending new task. Returns the problems.
    std::vector<std::string> writeStore();
    // Writes after a change; a failure goes to the save-failure handler once,
    // and again only after a save has succeeded in between.
    void saveChanges();
    // Gets the text of a failed save to show it (none: nothing is shown).
    void setSaveFailureHandler(std::function<void(const std::string& text)> handler) {
        saveFailed_ = std::move(handler);
    }

    // Gets a sentence for the user about a file of the folder that was
    // refused (a named pipe or a link where the run history or a script
    // should be); each sentence is told once, and goes to stderr too.
    void setNoticeHandler(std::function<void(const std::string& text)> handler) { noticed_ = std::move(handler); }

    // Gets every event of the run history as the scripts report it, after
    // it has been written (or failed to be). For views and notices that
    // follow the runs; listeners are called in the order they were added.
    void addRunListener(std::function<void(const RunEvent& event)> listener) {
        runListeners_.push_back(std::move(listener));
    }
    // Inside a run listener: the slot of the task whose run the event is
    // from; 0 outside any run.
    int runningSlot() const { return runs_.empty() ? 0 : runs_.back().slot; }

    // Scripts stop at their next wait or line, and no tick starts another.
    void requestStop() { engine_.requestStop(); }
    // The last write (see above) and the state file; once only.
    void unload();
    bool unloaded() const { return unloaded_; }

private:
    // The engine's run log: the history file, then the listeners.
    class RunEvents : public RunLog {
    public:
        explicit RunEvents(Session& s) : s_(s) {}
        void add(const RunEvent& event) override;

    private:
        Session& s_;
    };

    // A script run under way (see runs_).
    struct Run {
        int slot;
        bool failedBefore = false; // the task's run before this one failed
    };
    std::int16_t& flag(Option option);
    // Keeps the last run (see TaskRecord) of the run's task up to date.
    void followRun(Run& run, const RunEvent& event);
    void notice(const std::string& text);

    std::string folder_;
    Services services_;
    std::string fallbackFolder_;
    General g_;
    TaskStore store_;
    RunLogFile runLog_;
    RunEvents runEvents_{*this};
    std::vector<std::function<void(const RunEvent&)>> runListeners_;
    // The slots whose scripts run, innermost last: the engine's events are
    // the innermost run's, as a nested run ends before the one it waits in
    // goes on.
    std::vector<Run> runs_;
    ScriptEngine engine_;
    Scheduler scheduler_;
    bool newTaskPending_ = false;
    int taskBeforeNew_ = 0;
    std::vector<std::string> reportedSaveProblems_;
    std::function<void(const std::string&)> saveFailed_;
    std::function<void(const std::string&)> noticed_;
    std::set<std::string> told_;
    bool unloaded_ = false;
};

} // namespace wendrel
