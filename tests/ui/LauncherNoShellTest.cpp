// The desktop's program launcher starts the named program itself, never a
// shell: shell characters in a command line reach the program as plain text.
// It knows while a program (with what it started) runs, and how it ended.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <fstream>

#include "model/General.h"
#include "platform/Desktop.h"
#include "script/ScriptEngine.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;

class LauncherNoShellTest : public QObject {
    Q_OBJECT
private slots:
    void shellCharactersArePlainArgumentText() {
        TempFolder dir;
        Desktop desktop;
        ProgramLauncher* launcher = desktop.services().launcher;
        QVERIFY(launcher);
        // touch makes one file per argument. A shell would instead run "b",
        // "q", "id" and "whoami", and touch would see other names.
        const QString d = QString::fromStdString(dir.path());
        const QStringList names = {"a;b", "p|q", "$(id)", "`whoami`", "x&y", "m>n"};
        QString command = "touch";
        for (const QString& n : names) command += " " + d + "/" + n;
        auto id = launcher->start(command.toStdString());
        QVERIFY(id && *id > 0);
        for (const QString& n : names) QTRY_VERIFY2(QFile::exists(d + "/" + n), qPrintable(n));
        QCOMPARE(QDir(d).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), names.size());
    }

    void missingProgramOrAnOpenQuoteGivesNoTaskId() {
        Desktop desktop;
        ProgramLauncher* launcher = desktop.services().launcher;
        QVERIFY(!launcher->start("/no/such/program --flag"));
        QVERIFY(!launcher->start("touch 'never"));
    }

    void aProgramRunsUntilWhatItStartedHasEndedAndItsExitIsKept() {
        Desktop desktop;
        ProgramLauncher* launcher = desktop.services().launcher;
        // The shell ends at once; the sleep it leaves behind is still the program.
        const auto id = launcher->start("sh -c 'sleep 1 & exit 3'");
        QVERIFY(id);
        QTest::qWait(300);
        QVERIFY(launcher->isRunning(*id));
        QCOMPARE(launcher->exitStatus(*id), std::optional<ProgramExit>(ProgramExit{3, 0}));
        QTRY_VERIFY_WITH_TIMEOUT(!launcher->isRunning(*id), 3000);

        const auto killed = launcher->start("sh -c 'kill -9 $$'");
        QTRY_COMPARE(launcher->exitStatus(*killed), std::optional<ProgramExit>(ProgramExit{0, 9}));
        QVERIFY(!launcher->isRunning(0));

        // Children that QProcess owns are left to it.
        QProcess own;
        own.start("sh", {"-c", "exit 5"});
        QVERIFY(own.waitForFinished(3000));
        QCOMPARE(own.exitCode(), 5);

        // Neither the program nor the orphan it left is kept as a zombie.
        QTRY_VERIFY_WITH_TIMEOUT(zombieChildren() == 0, 3000);
    }

    // Without any window system (Wayland, a console) a wait still follows the
    // program's processes.
    void aRunLineWaitsForItsProgramWithoutADisplay() {
        const QByteArray display = qgetenv("DISPLAY");
        qunsetenv("DISPLAY");
        TempFolder dir;
        writeAll(dir.file("w.wdx"), "RUN sh -c 'sleep 1.5 & exit 0',1\r\nEXEC touch " + dir.file("after") + "\r\n");
        General g;
        g.append();
        g.slot(1).ScriptFile = "w.wdx";
        Desktop desktop;
        Services s = desktop.services();
        ScriptEngine engine(g, dir.path(), {*s.launcher, *s.activator, *s.keys, *s.messages, *s.pump, *s.clock});
        QElapsedTimer took;
        took.start();
        engine.RunScript(1);
        QVERIFY2(took.elapsed() >= 1500, qPrintable(QString::number(took.elapsed())));
        QVERIFY(took.elapsed() < 4000);
        if (!display.isEmpty()) qputenv("DISPLAY", display);
    }

private:
    static int zombieChildren() {
        int count = 0;
        for (const QString& task : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            std::ifstream in(("/proc/self/task/" + task + "/children").toStdString());
            for (int pid; in >> pid;) {
                std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
                std::string line;
                std::getline(stat, line);
                count += line.find(") Z") != std::string::npos;
            }
        }
        return count;
    }
};

QTEST_MAIN(LauncherNoShellTest)
#include "LauncherNoShellTest.moc"
