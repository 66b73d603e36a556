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

const std::string_view kHelpText =
    R"(Usage: wendrel [OPTION]
Without an option, starts Wendrel, or shows the window of the Wendrel
already running on the same data folder.

  --list            list the tasks: position, name, interval, active,
                    next start and last outcome
  --list --json     the same as a JSON array, for scripts
  --run TASK        run the task now in the running Wendrel
  --enable TASK     make the task active
  --disable TASK    make the task inactive
  --show            bring the running Wendrel's window to the front
  -h, --help        show this help and end
  --version         show the version and end

TASK is a task's name (letters A-Z in any case) or its position in the list.
With no Wendrel running, --list reads the task list from its file and
--enable and --disable change it there; --run and --show need the running
one.

Exit status: 0 done; 1 no such task, several tasks of that name, the task
did not start, or the change could not be saved; 2 wrong options;
3 Wendrel is not running, or does not answer.
)";

} // namespace wendrel
