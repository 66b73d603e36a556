// Listing the script files of a folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "store/ScriptFiles.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;
namespace fs = std::filesystem;

TEST(ScriptFiles, OnlyVisibleRegularWdxFilesAndNeverAThrow) {
    TempFolder dir;
    for (const char* leaf : {"a.wdx", "b.wdx", "notes.txt", ".hidden.wdx", "UP.WDX", "a.wdx.bak", ".wdx"})
        std::ofstream(dir.file(leaf)) << "x";
    fs::create_directory(dir.file("sub.wdx"));
    fs::create_symlink(dir.file("missing"), dir.file("dangling.wdx"));
    std::vector<std::string> names = listScriptFiles(dir.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"UP.WDX", "a.wdx", "b.wdx"}));

    EXPECT_TRUE(listScriptFiles(dir.file("nope")).empty());
    EXPECT_TRUE(listScriptFiles(dir.file("notes.txt")).empty());
    fs::permissions(dir.file("sub.wdx"), fs::perms::none);
    EXPECT_NO_THROW(listScriptFiles(dir.file("sub.wdx")));
}
