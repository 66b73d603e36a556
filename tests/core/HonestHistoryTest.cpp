// What the run history says when a run does not end as planned, when the
// history itself cannot be written, and how a view reads a huge history; and
// how a task whose script went missing comes back.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

#include "session/Session.h"
#include "store/FileNames.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;
using Texts = std::vector<std::string>;

namespace {
Texts whats(const std::string& folder) {
    Texts out;
    for (const RunLogEntry& e : RunLogFile::readAll(folder)) out.push_back(e.what);
    return out;
}

// Events told apart by their command line: "program not found: <n>".
RunEvent numbered(int n, const std::string& task = "T") {
    return {{2026, 12, 7, 9, 30, 0}, RunEventKind::ProgramNotFound, task, "s.wdx", std::to_string(n), {}, {}};
}
std::string lineOf(int n, const std::string& task = "T") { return formatRunEvent(numbered(n, task)) + "\n"; }
std::string numbers(int from, int to) {
    std::string lines;
    for (int n = from; n < to; ++n) lines += lineOf(n, n % 2 ? "B" : "A");
    return lines;
}
Texts whatsOf(const RunLogReader& r) {
    Texts out;
    for (const RunLogEntry& e : r.events()) out.push_back(e.what.substr(e.what.rfind(' ') + 1));
    return out;
}
Texts range(int from, int to, int step = 1) {
    Texts out;
    for (int n = from; n < to; n += step) out.push_back(std::to_string(n));
    return out;
}

// A session on a temporary folder whose task T1 runs a.wdx daily at 09:30,
// the fake clock's time.
struct Desk : FakeDesktop {
    TempFolder dir;
    std::unique_ptr<Session> s;
    Texts notices;
    Desk() {
        writeAll(dir.file("Scripts.dat"), "T1~~1~0~0~9~30~0~0~0~0~0~1~a.wdx\r\n");
        s = std::make_unique<Session>(dir.path(), services());
        s->setNoticeHandler([this](const std::string& text) { notices.push_back(text); });
        s->load();
    }
    void tickNextDay() {
        clock.advance(86400);
        s->tick();
    }
};
} // namespace

TEST(HonestHistory, AWaitEndedWhileTheProgramRunsSaysSoAndAStopAtExitIsNoFinish) {
    Desk d;
    writeAll(d.dir.file("a.wdx"), "RUN editor,1\r\nMSG never\r\n");
    d.launcher.runsFor[100] = 1 << 30;
    d.activator.windowsLeft[100] = 1 << 30;
    d.pump.onPass = [&] {
        if (d.pump.passes == 50) d.s->requestStop();
    };
    d.s->runNow(1);
    EXPECT_EQ(whats(d.dir.path()), (Texts{"started", "program started: editor (pid 100)", "waiting for pid 100 to end",
                                          "pid 100 still running when the wait ended", "stopped at exit"}));
}

// A folder in the history's place, then a full disk (as a file size limit).
TEST(HonestHistory, LostEventsAreToldOnceAndCountedInTheNextLineWritten) {
    Desk d;
    writeAll(d.dir.file("a.wdx"), "");
    const std::string log = d.dir.file(file_names::kLogFile);
    std::filesystem::create_directory(log);
    d.s->runNow(1);
    d.s->runNow(1);
    EXPECT_EQ(d.notices.size(), 1u);
    std::filesystem::remove(log);
    d.s->runNow(1);
    EXPECT_EQ(whats(d.dir.path()), (Texts{"4 events lost: the history could not be written", "started", "finished"}));
    rlimit was{};
    ::getrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, SIG_IGN);
    const auto runOnFullDisk = [&] {
        const rlimit full{std::filesystem::file_size(log), was.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &full);
        d.s->runNow(1);
        ::setrlimit(RLIMIT_FSIZE, &was);
    };
    runOnFullDisk();
    EXPECT_EQ(d.notices.size(), 2u) << "a failed write";
    d.s->runNow(1);
    runOnFullDisk();
    EXPECT_EQ(d.notices.size(), 3u) << "the same failure after a written line";
    std::signal(SIGXFSZ, SIG_DFL);
}

// 100 MB of older history (a hole, made in no time) before the newest events.
TEST(HistoryReader, AHugeHistoryIsReadFromItsEndOnly) {
    TempFolder dir;
    const std::string log = dir.file(file_names::kLogFile);
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::ftruncate(fd, 100 << 20), 0);
    ::close(fd);
    std::ofstream(log, std::ios::app) << "\n" + numbers(0, 2000);
    RunLogReader r(dir.path(), 1000);
    r.reload();
    EXPECT_EQ(whatsOf(r), range(1000, 2000));
    EXPECT_LT(r.bytesRead(), 256u << 10);
}

TEST(HistoryReader, TheOlderFileOnlyWhenTheNewerHoldsTooFewAndTheEventsOfOneTask) {
    TempFolder dir;
    writeAll(dir.file(file_names::kOldLogFile), numbers(0, 10) + "torn, no event\n" + std::string(5000, 'x') + "\n");
    writeAll(dir.file(file_names::kLogFile), numbers(10, 15) + lineOf(15).substr(0, 30));
    RunLogReader few(dir.path(), 5);
    few.reload();
    EXPECT_EQ(few.bytesRead(), std::filesystem::file_size(dir.file(file_names::kLogFile)));
    RunLogReader more(dir.path(), 8);
    more.reload();
    EXPECT_EQ(whatsOf(more), range(7, 15));
    RunLogReader a(dir.path(), 100, "A");
    a.reload();
    EXPECT_EQ(whatsOf(a), range(0, 15, 2));
    EXPECT_EQ(a.taskNames(), (std::set<std::string>{"A", "B"}));
}

TEST(HistoryReader, ARefreshReadsOnlyWhatWasAppendedAndCompleteLines) {
    TempFolder dir;
    RunLogFile log(dir.path(), 1 << 30);
    for (int n = 0; n < 1500; ++n) log.add(numbered(n));
    RunLogReader r(dir.path(), 1000);
    r.reload();
    const std::uint64_t before = r.bytesRead();
    EXPECT_FALSE(r.refresh().any());
    log.add(numbered(1500));
    EXPECT_EQ(r.refresh().added, 1u);
    EXPECT_EQ(r.bytesRead() - before, lineOf(1500).size());
    EXPECT_EQ(whatsOf(r), range(501, 1501));
    const std::string next = lineOf(1501);
    std::ofstream(dir.file(file_names::kLogFile), std::ios::app) << next.substr(0, 20);
    EXPECT_EQ(r.refresh().added, 0u) << "a line still being written";
    std::ofstream(dir.file(file_names::kLogFile), std::ios::app) << next.substr(20);
    EXPECT_EQ(r.refresh().added, 1u);
    EXPECT_EQ(r.events().back().what, "program not found: 1501");
}

TEST(HistoryReader, ARefreshFollowsARotationAndRereadsAFileCutShort) {
    TempFolder dir;
    RunLogFile log(dir.path(), lineOf(0).size() * 10);
    for (int n = 0; n < 5; ++n) log.add(numbered(n));
    RunLogReader r(dir.path(), 100);
    r.reload();
    for (int n = 5; n < 15; ++n) log.add(numbered(n)); // rotates after 9
    const RunLogReader::Change rotated = r.refresh();
    EXPECT_FALSE(rotated.reloaded);
    EXPECT_EQ(whatsOf(r), range(0, 15));
    writeAll(dir.file(file_names::kLogFile), lineOf(99));
    EXPECT_TRUE(r.refresh().reloaded);
    EXPECT_EQ(whatsOf(r), (Texts{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "99"}));
}

// Once shown, the box for a missing script does not come at every due time;
// but a save, a run by hand or the file come back end that.
TEST(MissingScript, TheTaskComesBackWhenSavedRunByHandOrItsFileIsThere) {
    Desk d;
    d.s->tick();
    d.tickNextDay();
    EXPECT_EQ(d.messages.shown.size(), 1u);
    d.s->commit(1, d.s->general().slot(1));
    d.tickNextDay();
    EXPECT_EQ(d.messages.shown.size(), 2u) << "saved";
    EXPECT_TRUE(d.s->runNow(1).started);
    writeAll(d.dir.file("a.wdx"), "EXEC back\r\n");
    d.tickNextDay();
    EXPECT_EQ(d.launcher.started, Texts{"back"});
}
