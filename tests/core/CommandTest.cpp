// Steering the program from outside: the socket's request and reply lines,
// which task a name or position means, what each command does to the
// session, the listing as text and JSON, and the program's options.
#include <gtest/gtest.h>

#include "model/Cp1252.h"
#include "session/ProgramArguments.h"
#include "session/RemoteControl.h"
#include "store/TaskStore.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {

using Verdict = InstanceRequestReader::Verdict;

Verdict verdictOf(std::string_view bytes) {
    InstanceRequestReader reader;
    return reader.feed(bytes);
}

TEST(InstanceProtocol, EveryRequestComesThroughItsLine) {
    const std::vector<InstanceRequest> requests{{Command::Show, {}},     {Command::List, {}},
                                                {Command::ListJson, {}}, {Command::Run, "Café Über"},
                                                {Command::Enable, "3"},  {Command::Disable, " lead"}};
    for (const InstanceRequest& request : requests) {
        InstanceRequestReader reader;
        reader.feed(requestLine(request).value_or(""));
        EXPECT_EQ(reader.request(), request) << request.task;
    }
    EXPECT_EQ(verdictOf("run x\n"), Verdict::Command);
    EXPECT_FALSE(requestLine({Command::Run, "two\nlines"})) << "a task that cannot go on one line is not sent";
    const InstanceReply reply{ReplyStatus::Ambiguous, "a\nb\n"};
    EXPECT_EQ(parseReply(formatReply(reply)), reply);
}

TEST(InstanceProtocol, TheFirstLineDecidesInAnyPiecesAndStaysALineThatIsNoRequestIsUnknown) {
    InstanceRequestReader reader;
    EXPECT_EQ(reader.feed("sh"), Verdict::Incomplete);
    EXPECT_EQ(reader.feed("ow\r\nquit\n"), Verdict::Show);
    EXPECT_EQ(reader.feed("x\n"), Verdict::Show);
    InstanceRequestReader endless;
    EXPECT_EQ(endless.feed(std::string(kMaxRequestBytes - 1, 'x')), Verdict::Incomplete);
    EXPECT_EQ(endless.feed("x"), Verdict::TooLong);
    using namespace std::string_view_literals;
    for (std::string_view line : {"run\n"sv, "run \n"sv, "list all\n"sv, "show now\n"sv, "RUN x\n"sv, "run \xff\n"sv,
                                  "run a\0b\n"sv, "run a\rb\n"sv, "list-jsonx\n"sv, "\n"sv})
        EXPECT_EQ(verdictOf(line), Verdict::Unknown) << line;
}

struct Tasks : ::testing::Test {
    General g;
    void add(std::string_view utf8Name) { g.slot(g.append()).Name = utf8ToCp1252(utf8Name); }
    TaskMatch find(std::string_view key) { return findTask(g, g.TaskCount, key); }
};

TEST_F(Tasks, ANameIsFoundExactlyThenInAnyCaseThenAsAPositionOrTheReplySaysWhyNot) {
    for (auto name : {"Backup", "backup", "Café Über", "7", "Mail"}) add(name);
    EXPECT_EQ(find("backup").task, 2);
    EXPECT_EQ(find("Café Über ").task, 3);
    EXPECT_EQ(find("mAIL").task, 5);
    EXPECT_EQ(find("7").task, 4);
    EXPECT_EQ(find("5").task, 5);
    add("backUp");
    const TaskMatch many = find("BACKUP");
    EXPECT_EQ(many.failure, ReplyStatus::Ambiguous);
    EXPECT_EQ(many.reason, "the tasks at 1, 2 and 6 are all named \"BACKUP\": give the position");
    EXPECT_EQ(find("9").reason, "there is no task at position 9 (the list holds 6)");
    for (auto key : {"0", "12345", "1x"}) EXPECT_EQ(find(key).failure, ReplyStatus::NoSuchTask) << key;
    EXPECT_EQ(find("12345").reason, "no task is named \"12345\"");
}

TEST(Listing, JsonHoldsEveryFieldAndEscapesText) {
    ListedTask t{3, "a\"b", "Weekly", "Yes", true, {}};
    t.status.lastStart = DateTime{2026, 1, 2, 3, 4, 5};
    t.status.running = true;
    t.status.lastOutcome = Session::TaskStatus::Outcome::Running;
    EXPECT_EQ(taskJson({t}), "[\n {\"position\": 3, \"name\": \"a\\\"b\", \"interval\": \"Weekly\", \"active\": true, "
                             "\"nextStart\": null, \"running\": true, \"lastStart\": \"2026-01-02T03:04:05\", "
                             "\"lastOutcome\": \"running\", \"lastFailure\": \"\"}\n]\n");
    EXPECT_EQ(jsonString("\\ \n\t\x01\x1f Ü\xff"), "\"\\\\ \\n\\t\\u0001\\u001f Ü\\ufffd\"");
}

struct Steering : ::testing::Test, FakeDesktop {
    TempFolder dir;
    std::unique_ptr<Session> s;
    void SetUp() override {
        writeAll(dir.file("Scripts.dat"), "Lead~~0~0~0~0~0~0~0~0~0~0~1~\r\nQuiet~~5~0~0~0~0~0~0~0~9~0~0~\r\n");
        s = std::make_unique<Session>(dir.path(), services());
        s->load();
    }
    CommandResult ask(Command c, std::string task = {}) { return perform(*s, {c, std::move(task)}); }
    // Active of task n as the file holds it.
    int activeOnDisk(int n) {
        General saved;
        TaskStore(dir.path()).read(saved);
        return saved.slot(n).Active;
    }
};

TEST_F(Steering, EnableAndDisableAreSavedAtOnce) {
    const CommandResult on = ask(Command::Enable, "Quiet");
    EXPECT_EQ(on.reply.text, "Task 2 (Quiet) is active.\n");
    EXPECT_EQ(activeOnDisk(2), 1);
    EXPECT_EQ(ask(Command::Disable, "1").reply.text, "Task 1 (Lead) is inactive.\n");
    EXPECT_EQ(activeOnDisk(1), 0);
    s->general().slot(1).Active = 2; // hand-edited: not active
    ask(Command::Enable, "1");
    EXPECT_EQ(s->general().slot(1).Active, 1);
    s->newTask(0); // not saved yet: not there for a command
    EXPECT_EQ(ask(Command::Enable, "3").reply.status, ReplyStatus::NoSuchTask);
    EXPECT_EQ(ask(Command::Enable, "2").reply.status, ReplyStatus::Ok);
}

TEST(NoneRunning, TheFilesAreListedAndChanged) {
    TempFolder dir;
    const std::string lead = "Lead~~0~0~0~0~0~0~0~0~0~0~1~\r\n";
    const std::string options = "-1 \r\n-1 \r\n-1 \r\n";
    writeAll(dir.file("Scripts.dat"), lead);
    writeAll(dir.file("Scripts.ini"), options);
    std::vector<std::string> problems;
    const InstanceReply listed = performOnFiles(dir.path(), {Command::List, {}}, problems);
    EXPECT_EQ(listed.text.substr(listed.text.find('\n') + 1, 16), "1  Lead  Hourly ");
    const std::string json = performOnFiles(dir.path(), {Command::ListJson, {}}, problems).text;
    EXPECT_NE(json.find("\"active\": true"), std::string::npos) << json;
    EXPECT_EQ(performOnFiles(dir.path(), {Command::Enable, "lead"}, problems).text, "Task 1 (Lead) is active.\n");
    EXPECT_EQ(readAll(dir.file("Scripts.dat")), lead) << "nothing to change: nothing written";
    for (auto [command, active] : {std::pair{Command::Disable, 0}, {Command::Enable, 1}}) {
        EXPECT_EQ(performOnFiles(dir.path(), {command, "1"}, problems).status, ReplyStatus::Ok);
        General saved;
        TaskStore(dir.path()).read(saved);
        EXPECT_EQ(saved.slot(1).Active, active);
    }
    EXPECT_EQ(readAll(dir.file("Scripts.ini")), options) << "the options stay as they were";
    // A list that was cut on reading is not written back.
    const std::string damaged = lead + std::string(70000, 'x') + "\r\n";
    writeAll(dir.file("Scripts.dat"), damaged);
    EXPECT_EQ(performOnFiles(dir.path(), {Command::Disable, "1"}, problems).status, ReplyStatus::Failed);
    EXPECT_FALSE(problems.empty());
    EXPECT_EQ(readAll(dir.file("Scripts.dat")), damaged);
}

TEST(ProgramOptions, OneActionWithItsTask) {
    EXPECT_EQ(parseProgramArguments({"--run", "Café Über"}).task, "Café Über");
    EXPECT_EQ(parseProgramArguments({"--disable=a=b"}).task, "a=b");
    EXPECT_EQ(requestFor(parseProgramArguments({"--list", "--json"})), (InstanceRequest{Command::ListJson, {}}));
    EXPECT_EQ(requestFor(parseProgramArguments({"--enable", "x"})), (InstanceRequest{Command::Enable, "x"}));
    EXPECT_EQ(parseProgramArguments({"-platform", "offscreen"}).problem, "");
    EXPECT_EQ(parseProgramArguments({"--run"}).problem, "--run needs a task's name or position");
    EXPECT_EQ(parseProgramArguments({"--json"}).problem, "--json goes with --list only");
    EXPECT_EQ(parseProgramArguments({"--list", "--show"}).problem, "one action at a time: --show after another");
    EXPECT_EQ(parseProgramArguments({"--lists"}).problem, "unknown option --lists");
    EXPECT_EQ(parseProgramArguments({"--list=x"}).problem, "--list takes no value");
    EXPECT_EQ(parseProgramArguments({"--list", "x"}).problem, "unexpected argument x");
    EXPECT_EQ(exitStatusOf(ReplyStatus::Ambiguous), kExitFailed);
    EXPECT_EQ(exitStatusOf(ReplyStatus::Busy), kExitNotRunning);
}

} // namespace
