// Files of the folder that are not what the program wrote: a named pipe or a
// symbolic link in the place of the run history, the state file or a script
// must neither hang the program nor lead its writes elsewhere, and a number
// out of all range in the state file must neither overflow the date
// arithmetic nor start runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "scheduler/Scheduler.h"
#include "session/Session.h"
#include "store/FileNames.h"
#include "store/RunLogFile.h"
#include "store/RunState.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {

// Five hours behind UTC all year: a zone west of Greenwich, where the local
// time of an instant is less than its UTC seconds.
struct WestClock : Clock {
    static constexpr std::int32_t kOffset = -5 * 3600;
    std::int64_t utc = DateTime{2026, 12, 6, 14, 30, 0}.serialSeconds(); // 09:30 local
    DateTime now() const override { return read().local; }
    ClockReading read() const override { return {utc, DateTime::fromSerialSeconds(utc + kOffset), kOffset}; }
    std::int32_t utcOffsetAt(std::int64_t) const override { return kOffset; }
    double monotonicSeconds() const override { return 1000; }
};

TaskRecord daily(std::int16_t hour, std::int16_t minute) {
    TaskRecord t;
    t.Name.assign("daily");
    t.Interval = Daily;
    t.TimeHour = hour;
    t.TimeMinute = minute;
    t.Active = 1;
    t.ScriptFile.assign("a.wdx");
    return t;
}

// UTC seconds outside 1970..9999 or no number, as a damaged or hand-made file
// may hold them.
const std::vector<std::string> kAbsurdSeconds =
    {"-9223372036854775808", "9223372036854775807", "-1", "253402300800", "99999999999999999999", "x", "1 2"};

// Someone else's file, where a link in the folder leads.
constexpr const char* kOthersText = "someone else's\n";

struct Hostile {
    const char* what;
    std::function<void(const std::string& folder, const std::string& othersFile)> plant;
    const char* noticeNames; // what the user's notice must name; none when it is quiet
};

// A named pipe in the place of leaf, or a link there to the other file.
std::function<void(const std::string&, const std::string&)> pipeAs(std::string leaf) {
    return [leaf](const std::string& folder, const std::string&) { ::mkfifo((folder + "/" + leaf).c_str(), 0600); };
}
std::function<void(const std::string&, const std::string&)> linkAs(std::string leaf) {
    return [leaf](const std::string& folder, const std::string& other) {
        ::symlink(other.c_str(), (folder + "/" + leaf).c_str());
    };
}

const std::vector<Hostile> kHostile = {
    {"a named pipe as the run history", pipeAs(file_names::kLogFile), file_names::kLogFile},
    {"a link to another file as the run history", linkAs(file_names::kLogFile), file_names::kLogFile},
    {"a named pipe as the state file", pipeAs(file_names::kStateFile), file_names::kStateFile},
    {"a link to another file as the state file", linkAs(file_names::kStateFile), nullptr},
    {"a named pipe as the script", pipeAs("a.wdx"), "a.wdx"},
};

// Opens every named pipe in the folder at both ends and keeps them open, so
// that whatever waits on one goes on.
std::vector<int> unblockPipes(const std::string& folder) {
    std::vector<int> fds;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_fifo()) fds.push_back(::open(entry.path().c_str(), O_RDWR | O_NONBLOCK));
    return fds;
}

} // namespace

// A whole run on the folder: load, the task run by hand, a tick, the unload.
TEST(HostileFiles, AreRefusedWithANoticeAndNeverWaitedOnNorFollowed) {
    for (const Hostile& h : kHostile) {
        TempFolder dir, elsewhere;
        const std::string others = elsewhere.file("others.txt");
        writeAll(others, kOthersText);
        writeAll(dir.file(file_names::kTaskFile), "T1~~1~0~0~9~0~0~0~0~0~0~0~a.wdx\r\n");
        h.plant(dir.path(), others);
        if (!std::filesystem::exists(dir.file("a.wdx"))) writeAll(dir.file("a.wdx"), "' nothing to do\r\n");

        FakeDesktop desktop;
        std::vector<std::string> notices;
        int running = -1;
        auto run = std::async(std::launch::async, [&] {
            Session s(dir.path(), desktop.services());
            s.setNoticeHandler([&](const std::string& text) { notices.push_back(text); });
            s.load();
            s.runNow(1);
            running = s.general().slot(1).Running;
            s.tick();
            s.unload();
        });
        const bool hung = run.wait_for(std::chrono::seconds(10)) != std::future_status::ready;
        std::vector<int> held = hung ? unblockPipes(dir.path()) : std::vector<int>{};
        run.wait();
        for (int fd : held) ::close(fd);

        EXPECT_FALSE(hung) << h.what;
        EXPECT_EQ(running, 0) << h.what << ": the run did not finish";
        EXPECT_EQ(readAll(others), kOthersText) << h.what;
        if (h.noticeNames) {
            EXPECT_TRUE(std::any_of(notices.begin(), notices.end(),
                                    [&](const std::string& n) { return n.find(h.noticeNames) != std::string::npos; }))
                << h.what << ": no notice names " << h.noticeNames;
        }
    }
}

// With Run Missed Tasks on, the first tick catches up what fell due since the
// program was last alive; an alive time or a last start out of range means
// nothing.
TEST(HostileStateFile, TimesOutOfRangeAreIgnoredAndTheTickRuns) {
    for (const std::string& seconds : kAbsurdSeconds) {
        TempFolder dir;
        const std::string path = dir.file(file_names::kStateFile);
        General g;
        g.RunMissedTasks = 1;
        g.slot(g.append()) = daily(9, 30); // due now
        g.slot(g.append()) = daily(8, 0);  // due before, while the program was not running
        g.slot(1).LastStartUtc = 1;
        ASSERT_EQ(run_state::save(path, g, 2), "");
        std::string text = readAll(path);
        text.replace(text.rfind(" 1\r\n"), 4, " " + seconds + "\r\n");
        writeAll(path, "alive " + seconds + text.substr(text.find("\r\n")));
        g.slot(1).LastStartUtc.reset();
        WestClock clock;
        std::vector<int> started;
        Scheduler s(g, clock, [&](int i) {
            started.push_back(i);
            g.slot(i).Running = 0;
        });
        s.useStateFile(path);
        EXPECT_FALSE(g.slot(1).LastStartUtc.has_value()) << "task last start " << seconds;
        s.tick();
        EXPECT_EQ(started, std::vector<int>{1}) << "alive " << seconds;
    }
}
