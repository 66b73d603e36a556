// Damaged and hostile store files load in bounded time and memory, never
// crash, and what is written back is well-formed and stable.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "model/Fields.h"
#include "store/TaskStore.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;
namespace fs = std::filesystem;

namespace {
using Steady = std::chrono::steady_clock;

// Loads the folder, saves it, loads the saved files again and saves again:
// after the first save the files must not change any more.
void expectStableRoundTrip(const TempFolder& dir) {
    General first;
    TaskStore store(dir.path());
    store.read(first);
    ASSERT_LE(first.TaskCount, General::MaxTasks);
    ASSERT_TRUE(store.write(first).empty());
    const std::string saved = readAll(dir.file("Scripts.dat"));
    const std::string options = readAll(dir.file("Scripts.ini"));

    General second;
    TaskStore(dir.path()).read(second);
    EXPECT_EQ(second.TaskCount, first.TaskCount);
    ASSERT_TRUE(TaskStore(dir.path()).write(second).empty());
    EXPECT_EQ(readAll(dir.file("Scripts.dat")), saved);
    EXPECT_EQ(readAll(dir.file("Scripts.ini")), options);
}
} // namespace

TEST(HostileStoreInput, BinaryGarbageLoadsAndSavesStably) {
    TempFolder dir;
    std::mt19937 random(8);
    std::string garbage(1 << 20, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    writeAll(dir.file("Scripts.dat"), garbage);
    writeAll(dir.file("Scripts.ini"), garbage.substr(0, 5000));
    const auto t0 = Steady::now();
    expectStableRoundTrip(dir);
    EXPECT_LT(Steady::now() - t0, std::chrono::seconds(5));
}

TEST(HostileStoreInput, HundredMegabyteLineOfNulBytesLoadsInBoundedTimeAndMemory) {
    TempFolder dir;
    const std::string path = dir.file("Scripts.dat");
    // A sparse file: 100 MB of code-0 bytes without a single line end.
    { std::ofstream(path, std::ios::binary); }
    fs::resize_file(path, 100u << 20);
    const long before = peakKilobytes();
    const auto t0 = Steady::now();
    General g;
    TaskStore store(dir.path());
    store.read(g);
    EXPECT_LT(Steady::now() - t0, std::chrono::seconds(10));
    EXPECT_LT(peakKilobytes() - before, 20 * 1024) << "kilobytes";
    ASSERT_EQ(g.TaskCount, 1);
    EXPECT_EQ(g.slot(1).Name.str(), std::string(20, '\0'));
    EXPECT_TRUE(store.lostOnLoad());
    ASSERT_TRUE(store.write(g).empty());
    EXPECT_EQ(fs::file_size(dir.file("Scripts.dat.bak")), 100u << 20);
    EXPECT_EQ(fs::file_size(path), 121u);
}

TEST(HostileStoreInput, LineOfTenThousandSeparators) {
    TempFolder dir;
    writeAll(dir.file("Scripts.dat"), std::string(10000, '~') + "\r\n" + std::string(10000, '~'));
    const auto t0 = Steady::now();
    General g;
    TaskStore(dir.path()).read(g);
    EXPECT_LT(Steady::now() - t0, std::chrono::seconds(1));
    ASSERT_EQ(g.TaskCount, 2);
    EXPECT_EQ(g.slot(1), g.slot(2));
    EXPECT_EQ(g.slot(1).Name.str(), std::string(20, ' '));
    expectStableRoundTrip(dir);
}

TEST(HostileStoreInput, NulBytesInsideFieldsSurviveTheRoundTrip) {
    using namespace std::string_literals;
    TempFolder dir;
    writeAll(dir.file("Scripts.dat"), "Ta\0sk~com\0ment~1~0~0~2~30~0~0~0~0~0~1~a\0.wdx\r\n"s);
    General g;
    TaskStore(dir.path()).read(g);
    ASSERT_EQ(g.TaskCount, 1);
    EXPECT_EQ(g.slot(1).Name.str().substr(0, 5), "Ta\0sk"s);
    EXPECT_EQ(g.slot(1).TimeMinute, 30);
    expectStableRoundTrip(dir);
    EXPECT_NE(readAll(dir.file("Scripts.dat")).find("a\0.wdx"s), std::string::npos);
}

TEST(HostileStoreInput, AMegabyteOfBlanksBeforeANumberIsReadQuickly) {
    const auto t0 = Steady::now();
    EXPECT_EQ(leadingInt16(std::string(1 << 20, ' ') + "3"), 3);
    EXPECT_LT(Steady::now() - t0, std::chrono::seconds(1));
}
