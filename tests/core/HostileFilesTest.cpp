// Files of the folder that are not what the program wrote: a named pipe or a
// symbolic link in the place of the run history, the state file or a script
// must neither hang the program nor lead its writes elsewhere.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "session/Session.h"
#include "store/FileNames.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

// A whole run on the folder: load, the task run by hand, a tick, the unload.
// A file waited on hangs the test.
TEST(HostileFiles, AreRefusedWithANoticeAndNeverWaitedOnNorFollowed) {
    using file_names::kLogFile, file_names::kStateFile;
    // The file replaced, by a named pipe (else a link to someone else's
    // file), and what the user's notice must name (none when it is quiet).
    const std::tuple<const char*, bool, const char*> cases[] = {{kLogFile, true, kLogFile},
                                                                {kLogFile, false, kLogFile},
                                                                {kStateFile, true, kStateFile},
                                                                {kStateFile, false, nullptr},
                                                                {"a.wdx", true, "a.wdx"}};
    for (auto [leaf, pipe, named] : cases) {
        SCOPED_TRACE(std::string(pipe ? "a named pipe as " : "a link as ") + leaf);
        TempFolder dir, elsewhere;
        const std::string others = elsewhere.file("others.txt");
        writeAll(others, "someone else's\n");
        writeAll(dir.file(file_names::kTaskFile), "T1~~1~0~0~9~0~0~0~0~0~0~0~a.wdx\r\n");
        if (pipe) ::mkfifo(dir.file(leaf).c_str(), 0600);
        else ::symlink(others.c_str(), dir.file(leaf).c_str());
        if (!pipe || leaf != std::string("a.wdx")) writeAll(dir.file("a.wdx"), "' nothing to do\r\n");
        FakeDesktop desktop;
        std::string notices;
        Session s(dir.path(), desktop.services());
        s.setNoticeHandler([&](const std::string& text) { notices += text + "\n"; });
        s.load();
        s.runNow(1);
        EXPECT_EQ(s.general().slot(1).Running, 0) << "the run did not finish";
        s.tick();
        s.unload();
        EXPECT_EQ(readAll(others), "someone else's\n");
        EXPECT_TRUE(!named || notices.find(named) != std::string::npos) << "no notice names the file: " << notices;
    }
}
