#include "platform/CommandLineClient.h"

#include <QCoreApplication>

#include <cstdio>

#include "platform/DataFolder.h"
#include "platform/SingleInstance.h"
#include "session/RemoteControl.h"

namespace wendrel {

namespace {

// Kept in step with the man page (resources/wendrel.1).
constexpr std::string_view kHelpText =
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

int say(int status, const std::string& reason) {
    std::fprintf(stderr, "wendrel: %s\n", reason.c_str());
    return status;
}

// Prints what the running instance, or the files, answered.
int print(const InstanceReply& reply) {
    if (reply.status != ReplyStatus::Ok) return say(exitStatusOf(reply.status), reply.text);
    std::fwrite(reply.text.data(), 1, reply.text.size(), stdout);
    return kExitDone;
}

} // namespace

int runCommandLine(int& argc, char** argv, const ProgramArguments& arguments) {
    if (!arguments.problem.empty()) return say(kExitUsage, arguments.problem + " (see wendrel --help)");
    if (arguments.action == ProgramArguments::Action::Help) {
        std::fwrite(kHelpText.data(), 1, kHelpText.size(), stdout);
        return kExitDone;
    }
    if (arguments.action == ProgramArguments::Action::Version) {
        std::printf("wendrel %s\n", WENDREL_VERSION);
        return kExitDone;
    }
    // For the program's folder and the socket; no display is needed.
    QCoreApplication app(argc, argv);
    std::string failure;
    const std::string folder = resolveDataFolder(QCoreApplication::applicationDirPath().toStdString(), failure);
    if (folder.empty()) return say(kExitFailed, "no folder for the task list: " + failure);
    const std::optional<InstanceRequest> request = requestFor(arguments);
    const std::optional<std::string> line = request ? requestLine(*request) : std::nullopt;
    if (!line) return say(kExitFailed, "no task is named \"" + arguments.task + "\"");

    SingleInstance instance(folder);
    if (instance.acquire()) {
        // None runs, and none starts while this process holds the folder:
        // the files are the program's own for the moment.
        int status = kExitNotRunning;
        if (request->command == Command::Run || request->command == Command::Show) {
            say(status, "Wendrel is not running for " + folder + ": start it first");
        } else {
            std::vector<std::string> problems;
            const InstanceReply reply = performOnFiles(folder, *request, problems);
            for (const std::string& problem : problems) say(kExitDone, problem);
            status = print(reply);
            if (request->command == Command::List) {
                say(kExitDone, "Wendrel is not running for " + folder + ": no task starts until it does.");
            }
        }
        instance.release();
        return status;
    }
    std::string bytes;
    if (!instance.ask(*line, bytes)) return say(kExitNotRunning, instance.whyNot().simplified().toStdString());
    const std::optional<InstanceReply> reply = parseReply(bytes);
    if (!reply) return say(kExitNotRunning, "the running Wendrel gave an answer this program does not read");
    return print(*reply);
}

} // namespace wendrel
