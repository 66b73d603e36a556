// The rule for a script file's name: a plain name of a file in the
// program's folder that the task holds whole; and the extension a typed
// name gets.
#include <gtest/gtest.h>

#include "store/ScriptFiles.h"

using namespace wendrel;

TEST(ScriptName, APlainNameThatFitsTheTaskIsFine) {
    for (const std::string name : {std::string("backup.wdx"), std::string(25, 'x'),
                                   std::string(20, 'a') + "\xc3\xa9.wdx", std::string("\xe6\x97\xa5.wdx")})
        EXPECT_EQ(scriptNameProblem(name), std::nullopt) << name;
}

TEST(ScriptName, PathsEmptyNamesAndNamesTheTaskCannotHoldAreRefused) {
    for (const std::string name : {std::string(), std::string("no/such.wdx"), std::string("."), std::string(".."),
                                   std::string("a\0b.wdx", 7), std::string(26, 'x'), std::string("\xff.wdx")})
        EXPECT_NE(scriptNameProblem(name), std::nullopt) << name;
}

TEST(ScriptName, TheExtensionIsAddedUnlessTheNameEndsInItInAnyCase) {
    EXPECT_EQ(withScriptExtension("backup"), "backup.wdx");
    EXPECT_EQ(withScriptExtension("Backup.WDX"), "Backup.WDX");
    EXPECT_EQ(withScriptExtension("wdx"), "wdx.wdx");
}
