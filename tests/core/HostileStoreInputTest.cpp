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

using Steady = std::chrono::steady_clock;

// Each file loads quickly and, once saved, stays as it is through the next
// load and save.
TEST(HostileStoreInput, DamagedFilesLoadQuicklyAndSaveStably) {
    using namespace std::string_literals;
    std::mt19937 random(8);
    std::string garbage(1 << 20, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    struct Case {
        const char* what;
        std::string bytes, kept; // kept: bytes the saved list must still hold
    } cases[] = {{"binary garbage", garbage, ""},
                 {"lines of 10,000 separators", std::string(10000, '~') + "\r\n" + std::string(10000, '~'), ""},
                 {"code-0 bytes inside fields", "Ta\0sk~com\0ment~1~0~0~2~30~0~0~0~0~0~1~a\0.wdx\r\n"s, "a\0.wdx"s}};
    for (const auto& [what, bytes, kept] : cases) {
        SCOPED_TRACE(what);
        TempFolder dir;
        writeAll(dir.file("Scripts.dat"), bytes);
        writeAll(dir.file("Scripts.ini"), bytes.substr(0, 5000));
        const auto t0 = Steady::now();
        General first;
        TaskStore store(dir.path());
        store.read(first);
        EXPECT_LT(Steady::now() - t0, std::chrono::seconds(2));
        ASSERT_LE(first.TaskCount, General::MaxTasks);
        ASSERT_TRUE(store.write(first).empty());
        const std::string saved = readAll(dir.file("Scripts.dat"));
        const std::string options = readAll(dir.file("Scripts.ini"));
        General second;
        TaskStore(dir.path()).read(second);
        ASSERT_TRUE(TaskStore(dir.path()).write(second).empty());
        EXPECT_EQ(readAll(dir.file("Scripts.dat")), saved);
        EXPECT_EQ(readAll(dir.file("Scripts.ini")), options);
        EXPECT_NE(saved.find(kept), std::string::npos);
    }
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

TEST(HostileStoreInput, AMegabyteOfBlanksBeforeANumberIsReadQuickly) {
    const auto t0 = Steady::now();
    EXPECT_EQ(leadingInt16(std::string(1 << 20, ' ') + "3"), 3);
    EXPECT_LT(Steady::now() - t0, std::chrono::seconds(1));
}
