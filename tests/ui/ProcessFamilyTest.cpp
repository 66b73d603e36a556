// A started program is its process and the processes it starts: a launcher
// that ends leaves its child in the family for as long as the child lives.
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <csignal>

#include "platform/wayland/ProcessTree.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;

class ProcessFamilyTest : public QObject {
    Q_OBJECT
private slots:
    void launcherChildStaysInTheFamilyAfterTheLauncherEnds() {
        TempFolder dir;
        const QString pidFile = QString::fromStdString(dir.path()) + "/child";
        QProcess launcher;
        launcher.start("sh", {"-c", "sleep 60 & echo $! >" + pidFile + "; sleep 3"});
        QVERIFY(launcher.waitForStarted());
        const int root = static_cast<int>(launcher.processId());
        wayland::ProcessFamily family(root);
        QTRY_VERIFY(QFile(pidFile).size() > 0);
        QFile f(pidFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const int child = f.readAll().trimmed().toInt();

        const std::set<int> whileLaunching = family.living();
        QVERIFY(whileLaunching.count(root));
        QVERIFY(whileLaunching.count(child));

        QVERIFY(launcher.waitForFinished(10000));
        const std::set<int> afterLauncher = family.living();
        QVERIFY(!afterLauncher.count(root));
        QVERIFY(afterLauncher.count(child));

        ::kill(child, SIGKILL);
        QTRY_VERIFY(family.living().empty());
    }

    void processThatNeverRanHasNoFamily() { QVERIFY(wayland::ProcessFamily(0).living().empty()); }
};

QTEST_MAIN(ProcessFamilyTest)
#include "ProcessFamilyTest.moc"
