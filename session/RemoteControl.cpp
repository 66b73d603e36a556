#include "session/RemoteControl.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "model/AsciiCase.h"
#include "model/Cp1252.h"
#include "store/TaskStore.h"

namespace wendrel {

namespace {

using Outcome = Session::TaskStatus::Outcome;

std::string trimmedKey(std::string_view key) {
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    return std::string(key);
}

// The position that key spells; nothing when it is no plain number of a few digits.
std::optional<int> positionOf(const std::string& key) {
    if (key.empty() || key.size() > 4) return std::nullopt;
    if (!std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
    return std::stoi(key);
}

std::string positionsText(const std::vector<int>& positions) {
    std::string text;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        if (i > 0) text += i + 1 == positions.size() ? " and " : ", ";
        text += std::to_string(positions[i]);
    }
    return text;
}

std::string jsonTime(const std::optional<DateTime>& t) { return t ? "\"" + dateTimeText(*t, 'T') + "\"" : "null"; }

// The tasks of the list, without a new one the editor has not saved yet.
int savedTasks(const Session& s) { return s.general().TaskCount - (s.newTaskPending() ? 1 : 0); }

std::string named(const General& g, int k) { return "Task " + std::to_string(k) + " (" + g.slot(k).Name.shown() + ")"; }

std::string activeText(bool on) { return on ? " is active.\n" : " is inactive.\n"; }

ListedTask listed(const General& g, int k) {
    const TaskRecord& r = g.slot(k);
    return {k, r.Name.shown(), g.intervalName(r.Interval), g.yesNoName(r.Active), r.Active == 1, {}};
}

} // namespace

std::string outcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::Succeeded:
            return "succeeded";
        case Outcome::Failed:
            return "failed";
        case Outcome::Running:
            return "running";
        default:
            return {};
    }
}

TaskMatch findTask(const General& g, int count, std::string_view rawKey) {
    const std::string key = trimmedKey(rawKey);
    std::vector<int> exact, folded;
    for (int k = 1; k <= count; ++k) {
        const std::string name = g.slot(k).Name.shown();
        if (name == key) exact.push_back(k);
        if (lowerAscii(name) == lowerAscii(key)) folded.push_back(k);
    }
    for (const std::vector<int>* found : {&exact, &folded}) {
        if (found->empty()) continue;
        if (found->size() == 1) return {found->front(), ReplyStatus::Ok, {}};
        return {0, ReplyStatus::Ambiguous,
                "the tasks at " + positionsText(*found) + " are all named \"" + key + "\": give the position"};
    }
    if (const std::optional<int> position = positionOf(key)) {
        if (*position >= 1 && *position <= count) return {*position, ReplyStatus::Ok, {}};
        return {0, ReplyStatus::NoSuchTask,
                "there is no task at position " + key + " (the list holds " + std::to_string(count) + ")"};
    }
    return {0, ReplyStatus::NoSuchTask, "no task is named \"" + key + "\""};
}

std::vector<ListedTask> listedTasks(const General& g, int count) {
    std::vector<ListedTask> tasks;
    for (int k = 1; k <= count; ++k) tasks.push_back(listed(g, k));
    return tasks;
}

std::vector<ListedTask> listedTasks(const Session& s) {
    std::vector<ListedTask> tasks = listedTasks(s.general(), savedTasks(s));
    for (ListedTask& t : tasks) t.status = s.status(t.position);
    return tasks;
}

std::string taskTable(const std::vector<ListedTask>& tasks) {
    std::vector<std::vector<std::string>> rows{{"#", "Name", "Interval", "Active", "Next start", "Last outcome"}};
    for (const ListedTask& t : tasks) {
        const std::string outcome = outcomeText(t.status.lastOutcome);
        rows.push_back({std::to_string(t.position), t.name, t.interval, t.active,
                        t.status.nextStart ? dateTimeText(*t.status.nextStart) : "-", outcome.empty() ? "-" : outcome});
    }
    std::vector<std::size_t> widths(rows.front().size());
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], utf8Length(row[c]));
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        // Characters, not bytes, so that columns line up for any letters.
        for (std::size_t c = 0; c + 1 < row.size(); ++c) line += fitToWidth(row[c], widths[c]) + "  ";
        text += line + row.back() + "\n";
    }
    return text;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        if (!decodeUtf8(text, pos, c)) {
            out += "\\ufffd";
            ++pos;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20) {
            char escaped[sizeof "\\u0000"];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            appendUtf8(out, c);
        }
    }
    return out + "\"";
}

std::string taskJson(const std::vector<ListedTask>& tasks) {
    std::string out = "[";
    for (const ListedTask& t : tasks) {
        const std::string outcome = outcomeText(t.status.lastOutcome);
        out += &t == &tasks.front() ? "\n" : ",\n";
        out += " {\"position\": " + std::to_string(t.position) + ", \"name\": " + jsonString(t.name) +
               ", \"interval\": " + jsonString(t.interval) + ", \"active\": " + (t.isActive ? "true" : "false") +
               ", \"nextStart\": " + jsonTime(t.status.nextStart) +
               ", \"running\": " + (t.status.running ? "true" : "false") +
               ", \"lastStart\": " + jsonTime(t.status.lastStart) +
               ", \"lastOutcome\": " + (outcome.empty() ? "null" : jsonString(outcome)) +
               ", \"lastFailure\": " + jsonString(t.status.lastFailure) + "}";
    }
    return out + "\n]\n";
}

CommandResult perform(Session& s, const InstanceRequest& request) {
    switch (request.command) {
        case Command::List:
            return {{ReplyStatus::Ok, taskTable(listedTasks(s))}};
        case Command::ListJson:
            return {{ReplyStatus::Ok, taskJson(listedTasks(s))}};
        case Command::Show:
            return {};
        default:
            break;
    }
    const TaskMatch match = findTask(s.general(), savedTasks(s), request.task);
    if (match.task == 0) return {{match.failure, match.reason}};
    if (request.command == Command::Run) {
        const Session::RunNowResult may = s.mayRunNow(match.task);
        if (!may.started) return {{ReplyStatus::NotStarted, may.refusal}, match.task};
        return {{ReplyStatus::Ok, named(s.general(), match.task) + " started.\n"}, match.task, true};
    }
    const bool on = request.command == Command::Enable;
    s.setActive(match.task, on);
    return {{ReplyStatus::Ok, named(s.general(), match.task) + activeText(on)}, match.task};
}

InstanceReply performOnFiles(const std::string& folder, const InstanceRequest& request,
                             std::vector<std::string>& problems) {
    // On the heap: the table is large.
    auto g = std::make_unique<General>();
    g->fillCaptionTables();
    TaskStore store(folder);
    store.readTasks(*g);
    problems = store.errors();
    if (request.command == Command::List) return {ReplyStatus::Ok, taskTable(listedTasks(*g, g->TaskCount))};
    if (request.command == Command::ListJson) return {ReplyStatus::Ok, taskJson(listedTasks(*g, g->TaskCount))};
    const TaskMatch match = findTask(*g, g->TaskCount, request.task);
    if (match.task == 0) return {match.failure, match.reason};
    const bool on = request.command == Command::Enable;
    TaskRecord& task = g->slot(match.task);
    if ((task.Active == 1) != on) {
        // What was not loaded would be lost with the rewrite.
        if (store.lostOnLoad()) return {ReplyStatus::Failed, "the task list could not be read whole: not changed"};
        // Written with the options as they are.
        store.readOptions(*g);
        task.Active = on ? 1 : 0;
        const std::vector<std::string> unsaved = store.write(*g);
        if (!unsaved.empty()) return {ReplyStatus::Failed, "the task list could not be saved: " + unsaved.front()};
    }
    return {ReplyStatus::Ok, named(*g, match.task) + activeText(on)};
}

} // namespace wendrel
