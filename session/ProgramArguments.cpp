#include "session/ProgramArguments.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace wendrel {

namespace {
using Action = ProgramArguments::Action;

constexpr std::pair<std::string_view, Action> kOptions[] = {
    {"--help", Action::Help},  {"-h", Action::Help},   {"--version", Action::Version}, {"--show", Action::Show},
    {"--list", Action::List},  {"--run", Action::Run}, {"--enable", Action::Enable},   {"--disable", Action::Disable},
    {"--json", Action::Start}, // a modifier of --list, not an action
};

bool takesTask(Action a) { return a == Action::Run || a == Action::Enable || a == Action::Disable; }
} // namespace

ProgramArguments parseProgramArguments(const std::vector<std::string>& arguments) {
    ProgramArguments parsed;
    std::vector<std::string> others;
    for (std::size_t i = 0; i < arguments.size() && parsed.problem.empty(); ++i) {
        const std::string& word = arguments[i];
        // --run=NAME as well as --run NAME.
        const std::size_t equals = word.starts_with("--") ? word.find('=') : std::string::npos;
        const std::string_view option = std::string_view(word).substr(0, equals);
        const auto known =
            std::find_if(std::begin(kOptions), std::end(kOptions), [&](const auto& o) { return o.first == option; });
        if (known == std::end(kOptions)) {
            if (word.starts_with("--")) parsed.problem = "unknown option " + std::string(option);
            else others.push_back(word);
            continue;
        }
        const Action action = known->second;
        if (equals != std::string::npos && !takesTask(action)) {
            parsed.problem = std::string(option) + " takes no value";
        } else if (option == "--json") {
            parsed.json = true;
        } else if (parsed.action != Action::Start) {
            parsed.problem = "one action at a time: " + std::string(option) + " after another";
        } else {
            parsed.action = action;
            if (!takesTask(action)) continue;
            if (equals != std::string::npos) parsed.task = word.substr(equals + 1);
            else if (i + 1 < arguments.size()) parsed.task = arguments[++i];
            if (parsed.task.empty()) parsed.problem = std::string(option) + " needs a task's name or position";
        }
    }
    if (!parsed.problem.empty()) return parsed;
    if (parsed.json && parsed.action != Action::List) parsed.problem = "--json goes with --list only";
    else if (parsed.action != Action::Start && !others.empty())
        parsed.problem = "unexpected argument " + others.front();
    return parsed;
}

std::optional<InstanceRequest> requestFor(const ProgramArguments& arguments) {
    switch (arguments.action) {
        case Action::Show:
            return InstanceRequest{Command::Show, {}};
        case Action::List:
            return InstanceRequest{arguments.json ? Command::ListJson : Command::List, {}};
        case Action::Run:
            return InstanceRequest{Command::Run, arguments.task};
        case Action::Enable:
            return InstanceRequest{Command::Enable, arguments.task};
        case Action::Disable:
            return InstanceRequest{Command::Disable, arguments.task};
        default:
            return std::nullopt;
    }
}

int exitStatusOf(ReplyStatus status) {
    switch (status) {
        case ReplyStatus::Ok:
            return kExitDone;
        case ReplyStatus::Busy:
            return kExitNotRunning;
        default:
            return kExitFailed;
    }
}

} // namespace wendrel
