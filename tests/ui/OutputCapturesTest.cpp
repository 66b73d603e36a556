// What started programs write: kept per run, cut to its last bytes (also
// while the program still runs), only the newest runs kept within a total.
#include <QtTest>

#include <csignal>
#include <ctime>

#include "platform/Launcher.h"
#include "platform/OutputCaptures.h"

using namespace wendrel;

namespace {
qint64 sizeOf(const QTemporaryDir& dir, int pid) {
    const QStringList files = QDir(dir.path()).entryList({QString::number(pid) + "-*.out"}, QDir::Files);
    return files.size() == 1 ? QFileInfo(dir.filePath(files[0])).size() : -1;
}
// Starts the command and waits until its process has ended.
int runToEnd(SpawnLauncher& launcher, const std::string& command) {
    const std::optional<double> id = launcher.start(command);
    const bool ended = id && QTest::qWaitFor([&] { return launcher.exitStatus(*id).has_value(); }, 10000);
    return ended ? static_cast<int>(*id) : 0;
}
} // namespace

class OutputCapturesTest : public QObject {
    Q_OBJECT
private slots:
    void theLastBytesOfOutputAndErrorsAreKept() {
        QTemporaryDir dir;
        OutputCaptures captures(dir.path().toStdString());
        SpawnLauncher launcher;
        launcher.setOutputCaptures(&captures);
        // Cut soon after a lot was written, while the program still runs.
        const int chatty = static_cast<int>(launcher.start("sh -c 'head -c 1000000 /dev/zero; exec sleep 5'").value());
        QTRY_VERIFY_WITH_TIMEOUT(sizeOf(dir, chatty) > 0 && sizeOf(dir, chatty) <= 128 * 1024, 5000);
        ::kill(chatty, SIGKILL);

        const int done = runToEnd(launcher, "sh -c 'head -c 200000 /dev/zero | tr \"\\0\" a; echo; echo END >&2'");
        QCOMPARE(sizeOf(dir, done), 64 * 1024);
        const std::string text = OutputCaptures::read(dir.path().toStdString(), done, std::time(nullptr)).value();
        QCOMPARE(text.size(), std::size_t(64 * 1024));
        QCOMPARE(text.substr(text.size() - 6), std::string("a\nEND\n"));
    }

    void onlyTheNewestRunsAreKeptWithinTheirTotal() {
        QTemporaryDir dir;
        OutputCaptures captures(dir.path().toStdString(), {1000, 2000, 3, 2500});
        SpawnLauncher launcher;
        launcher.setOutputCaptures(&captures);
        std::vector<int> pids;
        for (int i = 0; i < 5; ++i) pids.push_back(runToEnd(launcher, "head -c 1500 /dev/zero"));
        // At the last start, two older captures fitted the total; then the new one.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
        QCOMPARE(sizeOf(dir, pids[2]), 1000);
        QCOMPARE(sizeOf(dir, pids[1]), -1);
        QVERIFY(!launcher.start("no-such-program-here"));
        QVERIFY(QDir(dir.path()).entryList({"new-*"}, QDir::Files).isEmpty());
    }
};

QTEST_GUILESS_MAIN(OutputCapturesTest)

#include "OutputCapturesTest.moc"
