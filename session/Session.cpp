#include "session/Session.h"

#include <cstdio>
#include <memory>

#include "model/Cp1252.h"
#include "model/TextFile.h"
#include "store/FileNames.h"

namespace wendrel {

namespace {

ScriptEnvironment environmentOf(const Services& s) {
    return ScriptEnvironment{*s.launcher, *s.activator, *s.keys, *s.messages, *s.pump, *s.clock, s.sessionLock};
}

std::string problemText(const std::string& heading, const std::vector<std::string>& problems) {
    std::string text = heading + "\n";
    for (const auto& p : problems) text += "\n" + p;
    return text;
}

// The fields the editor holds; the run-time state stays with the slot.
void copyEditorFields(const TaskRecord& from, TaskRecord& to) {
    to.Name = from.Name;
    to.Comment = from.Comment;
    to.Interval = from.Interval;
    to.ScriptFile = from.ScriptFile;
    to.DayofMonth = from.DayofMonth;
    to.DayofWeek = from.DayofWeek;
    to.Other = from.Other;
    to.MinsPastHour = from.MinsPastHour;
    to.MSOption = from.MSOption;
    to.TimeHour = from.TimeHour;
    to.TimeMinute = from.TimeMinute;
    to.DateMonth = from.DateMonth;
    to.DateDay = from.DateDay;
    to.Active = from.Active;
}

} // namespace

Session::Session(std::string folder, Services services, std::string fallbackFolder)
    : folder_(std::move(folder)),
      services_(services),
      fallbackFolder_(std::move(fallbackFolder)),
      store_(folder_),
      runLog_(folder_),
      engine_(g_, folder_, environmentOf(services_)),
      scheduler_(g_, *services_.clock, [this](int index) {
          runs_.push_back({index});
          struct Pop {
              std::vector<Run>& runs;
              ~Pop() { runs.pop_back(); }
          } pop{runs_};
          engine_.RunScript(index);
      }) {
    engine_.setRunLog(&runEvents_);
    scheduler_.setScriptCheck([this](int index) { return engine_.scriptPresent(index); });
    runLog_.setRefusalHandler([this](const std::string& text) { notice(text); });
    engine_.setRefusalHandler([this](const std::string& text) { notice(text); });
}

void Session::RunEvents::add(const RunEvent& event) {
    s_.runLog_.add(event);
    if (!s_.runs_.empty()) s_.followRun(s_.runs_.back(), event);
    for (const auto& listener : s_.runListeners_) listener(event);
}

void Session::followRun(Run& run, const RunEvent& event) {
    TaskRecord& t = g_.slot(run.slot);
    if (event.kind == RunEventKind::Started) {
        run.failedBefore = !t.LastFailure.empty();
        t.LastRunUtc = services_.clock->read().utc;
        t.LastRunEnded = false;
        t.LastFailure.clear();
        return;
    }
    if (isFailure(event) && t.LastFailure.empty()) t.LastFailure = runEventWhat(event);
    // A run cut short by the program leaving did not do all it was to do.
    if (event.kind == RunEventKind::StoppedAtExit && t.LastFailure.empty()) t.LastFailure = "stopped at exit";
    if (event.kind != RunEventKind::Finished && event.kind != RunEventKind::ScriptMissing &&
        event.kind != RunEventKind::StoppedAtExit)
        return;
    t.LastRunEnded = true;
    // The state file keeps the outcome; an Other task that runs every few
    // seconds has it written only when it turns from success to failure or
    // back.
    if (t.Interval != OtherInterval || run.failedBefore != !t.LastFailure.empty()) scheduler_.stateChanged();
}

Session::TaskStatus Session::status(int k) const {
    TaskStatus st;
    if (k < 1 || k > g_.TaskCount) return st;
    const TaskRecord& t = g_.slot(k);
    const Clock& clock = *services_.clock;
    st.nextStart = scheduler_.nextStart(t, clock.read(), clock.bootSeconds());
    // A run that ended without clearing Running (a missing script) is over.
    st.running = t.Running != 0 && !(t.LastRunUtc && t.LastRunEnded);
    if (t.LastRunUtc) st.lastStart = scheduler_.localAt(*t.LastRunUtc);
    st.lastFailure = t.LastFailure;
    using Outcome = TaskStatus::Outcome;
    if (st.running) st.lastOutcome = Outcome::Running;
    else if (t.LastRunUtc) st.lastOutcome = t.LastFailure.empty() ? Outcome::Succeeded : Outcome::Failed;
    return st;
}

void Session::notice(const std::string& text) {
    if (text.empty() || !told_.insert(text).second) return;
    std::fprintf(stderr, "Wendrel: %s\n", text.c_str());
    if (noticed_) noticed_(text);
}

void Session::load() {
    g_.fillCaptionTables();
    store_.read(g_);
    // The tasks' last starts (see Unload).
    notice(scheduler_.useStateFile(joinPath(folder_, file_names::kStateFile)));
}

std::string Session::loadProblemText() const {
    if (store_.errors().empty()) return {};
    return problemText("Wendrel met problems while loading its task list:", store_.errors());
}

int Session::newTask(int currentRow) {
    taskBeforeNew_ = currentRow + 1;
    if (g_.TaskCount >= General::kMaxTasks) return 0; // full: silently nothing
    newTaskPending_ = true;
    return g_.append();
}

void Session::storeFields(int n, const TaskRecord& fields) {
    if (n < 1 || n > General::kSlotCount) return;
    copyEditorFields(fields, g_.slot(n));
    // The user has been at the task (its script named anew, perhaps): the
    // tick may start it again even if its script was missing.
    g_.slot(n).ScriptMissing = false;
}

void Session::commit(int n, const TaskRecord& fields) {
    storeFields(n, fields);
    newTaskPending_ = false;
    saveChanges();
}

bool Session::cancel() {
    const bool pending = newTaskPending_ && g_.TaskCount > 0;
    if (pending) g_.remove(g_.TaskCount);
    newTaskPending_ = false;
    return pending;
}

void Session::setScriptFile(int n, const std::string& recordText) {
    if (n >= 1 && n <= General::kSlotCount) g_.slot(n).ScriptFile = recordText;
}

bool Session::remove(int k) {
    if (k < 1 || k > g_.TaskCount) return false;
    const std::string question = deleteQuestion(g_.slot(k).Name.shown());
    if (services_.messages->show(question, "Delete Task", MsgButtons::YesNo, MsgIcon::None) != MsgAnswer::Yes)
        return false;
    g_.remove(k);
    saveChanges();
    return true;
}

bool Session::move(const RowMove& move) {
    if (!move.changesOrder()) return false;
    if (services_.messages->show(moveQuestion(move), "Altering task order", MsgButtons::YesNo, MsgIcon::None) !=
        MsgAnswer::Yes)
        return false;
    g_.move(move.from, move.to);
    saveChanges();
    return true;
}

void Session::ToggleActive(int k) {
    if (k < 1 || k > g_.TaskCount) return;
    TaskRecord& r = g_.slot(k);
    r.Active = toggled(r.Active);
    saveChanges();
}

void Session::setActive(int k, bool active) {
    if (k < 1 || k > g_.TaskCount || (g_.slot(k).Active == 1) == active) return;
    g_.slot(k).Active = active ? 1 : 0;
    saveChanges();
}

Session::RunNowResult Session::runNow(int k) {
    const RunNowResult may = mayRunNow(k);
    if (may.started) scheduler_.runNow(k);
    return may;
}

Session::RunNowResult Session::mayRunNow(int k) const {
    if (k < 1 || k > g_.TaskCount) return {};
    if (scheduler_.canRunNow(k)) return {true, {}};
    return {false, "Task " + g_.slot(k).Name.shown() + " has not finished its last run: not started again."};
}

std::int16_t& Session::flag(Option option) {
    switch (option) {
        case Option::MinimizeOnStartup:
            return g_.MinimizeOnStartup;
        case Option::MinimizeToTray:
            return g_.MinimizeToTray;
        default:
            return g_.RunMissedTasks;
    }
}

bool Session::option(Option option) const {
    switch (option) {
        case Option::MinimizeOnStartup:
            return g_.MinimizeOnStartup != 0;
        case Option::MinimizeToTray:
            return g_.MinimizeToTray != 0;
        default:
            return g_.RunMissedTasks != 0;
    }
}

// The flags act at the next start (Run Missed Tasks from the next tick on).
bool Session::toggleOption(Option option) {
    std::int16_t& f = flag(option);
    f = toggled(f);
    saveChanges();
    return f != 0;
}

void Session::tick(const std::function<void(const DateTime&)>& shown) {
    if (unloaded_) return; // the program is leaving
    services_.clock->recheckZone();
    if (shown) shown(services_.clock->now());
    scheduler_.tick();
}

std::vector<std::string> Session::writeStore() {
    if (!newTaskPending_ || g_.TaskCount < 1) return store_.write(g_);
    // A copy without it (on the heap: the table is large, and this may run
    // deep in nested scripts).
    auto withoutNew = std::make_unique<General>(g_);
    withoutNew->clearSlot(withoutNew->TaskCount);
    --withoutNew->TaskCount;
    return store_.write(*withoutNew);
}

void Session::saveChanges() {
    if (unloaded_) return;
    const std::vector<std::string> problems = writeStore();
    if (problems == reportedSaveProblems_) return;
    reportedSaveProblems_ = problems;
    if (!problems.empty() && saveFailed_) saveFailed_(problemText("Wendrel could not save the change:", problems));
}

void Session::unload() {
    if (unloaded_) return;
    unloaded_ = true;
    const std::vector<std::string> problems = writeStore();
    // The tasks' last starts: like a state file that cannot be read, one that
    // cannot be written only loses a guard, so it is not reported.
    scheduler_.saveState();
    if (problems.empty()) return;
    // Leaving must not wait for anyone (a signal, a session that ends), so
    // the list goes where it can be written, and stderr says so.
    for (const auto& p : problems) std::fprintf(stderr, "Wendrel: %s\n", p.c_str());
    std::string why;
    const std::string fallback = TaskStore::writeFallback(g_, fallbackFolder_, why);
    if (!fallback.empty()) std::fprintf(stderr, "Wendrel: the task list was saved to %s instead.\n", fallback.c_str());
    else std::fprintf(stderr, "Wendrel: the task list could not be saved anywhere: %s\n", why.c_str());
}

} // namespace wendrel
