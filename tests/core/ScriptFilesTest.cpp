// Listing the script files of a folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "store/ScriptFiles.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;
namespace fs = std::filesystem;

namespace {
void touch(const std::string& path) { std::ofstream(path) << "x"; }
}

TEST(ScriptFiles, ListsOnlyVisibleRegularWdxFilesInFolderOrder) {
    TempFolder dir;
    for (const char* leaf : {"a.wdx", "b.wdx", "notes.txt", ".hidden.wdx", "UP.WDX", "a.wdx.bak", ".wdx"})
        touch(dir.file(leaf));
    fs::create_directory(dir.file("sub.wdx"));
    fs::create_symlink(dir.file("missing"), dir.file("dangling.wdx"));

    const std::vector<std::string> names = listScriptFiles(dir.path());
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::string>{"UP.WDX", "a.wdx", "b.wdx"}));

    // Not sorted by the lister: the folder's own order is kept.
    std::vector<std::string> listing;
    for (const auto& e : fs::directory_iterator(dir.path())) {
        const std::string leaf = e.path().filename().string();
        if (std::find(names.begin(), names.end(), leaf) != names.end()) listing.push_back(leaf);
    }
    EXPECT_EQ(names, listing);
}

TEST(ScriptFiles, MissingOrUnreadableFolderGivesAnEmptyList) {
    TempFolder dir;
    EXPECT_TRUE(listScriptFiles(dir.file("nope")).empty());
    touch(dir.file("plain"));
    EXPECT_TRUE(listScriptFiles(dir.file("plain")).empty());   // a file, not a folder

    fs::create_directory(dir.file("locked"));
    touch(dir.file("locked/a.wdx"));
    fs::permissions(dir.file("locked"), fs::perms::none);
    EXPECT_NO_THROW(listScriptFiles(dir.file("locked")));
    fs::permissions(dir.file("locked"), fs::perms::owner_all);
}
