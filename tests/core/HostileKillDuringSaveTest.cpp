// A child process saves in a loop until it is killed at a random moment;
// the files it leaves behind are checked after each kill.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>

#include "store/TaskStore.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;

namespace {

void fill(General& g, const std::string& prefix, std::int16_t option) {
    for (int i = 1; i <= General::kMaxTasks; ++i)
        g.slot(g.append()).Comment = prefix + " comment of " + std::to_string(i);
    g.MinimizeOnStartup = g.MinimizeToTray = option;
}
} // namespace

TEST(HostileKillDuringSave, EveryKillLeavesAWholeOldOrNewFile) {
    TempFolder dir;
    General oldList, newList;
    fill(oldList, "Old", 0);
    fill(newList, "New task ", 1); // other bytes throughout: a torn write would show
    const std::string oldTasks = TaskStore::formatTaskFile(oldList);
    const std::string newTasks = TaskStore::formatTaskFile(newList);
    const std::string oldOptions = TaskStore::formatOptionsFile(oldList);
    const std::string newOptions = TaskStore::formatOptionsFile(newList);
    ASSERT_TRUE(TaskStore(dir.path()).write(oldList).empty());

    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> delayMicros(0, 20000);
    int sawOld = 0, sawNew = 0;
    for (int trial = 0; trial < 120; ++trial) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives a test that was stopped
            TaskStore store(dir.path());
            for (;;) {
                store.write(newList);
                store.write(oldList);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);

        const std::string tasks = readAll(dir.file("Scripts.dat"));
        const std::string options = readAll(dir.file("Scripts.ini"));
        ASSERT_TRUE(tasks == oldTasks || tasks == newTasks)
            << "trial " << trial << ": Scripts.dat has " << tasks.size() << " bytes";
        ASSERT_TRUE(options == oldOptions || options == newOptions) << "trial " << trial;
        (tasks == oldTasks ? sawOld : sawNew)++;
    }
    // The temporaries kills leave are named as the next start's clean-up expects.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string leaf = entry.path().filename().string();
        EXPECT_TRUE(leaf.starts_with("Scripts.") || leaf.starts_with(".Scripts.dat.") ||
                    leaf.starts_with(".Scripts.ini."))
            << leaf;
    }
    // Both versions turned up, so kills did land while saves were going on.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}
