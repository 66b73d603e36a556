// The Linux desktop services: the program launcher (never through a shell)
// and what it keeps of a program's output, the text editor's start, the
// single-instance lock with the show request between two starts, and failure
// notices on a private session bus. (Typing into a real window is the
// desktop tests'.)
#include <QDBusMessage>
#include <csignal>
#include <ctime>
#include <future>

#include "platform/Desktop.h"
#include "platform/DesktopNotifications.h"
#include "platform/Launcher.h"
#include "platform/OutputCaptures.h"
#include "platform/SingleInstance.h"
#include "platform/TextEditor.h"
#include "tests/ui/MainWindowRig.h"

namespace {
// A notification service: records every Notify and answers with ids from 101.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList calls; // summary | body | first action
public slots:
    // NOLINTNEXTLINE(readability-identifier-naming): the service's method name
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        calls.append(summary + " | " + body + " | " + actions.value(0));
        return static_cast<uint>(calls.size()) + 100;
    }
};

qint64 captureSize(const QTemporaryDir& dir, int pid) {
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

class DesktopServicesTest : public QObject {
    Q_OBJECT
private slots:
    // The words go to the program as they are, never through a shell (which
    // would run "b" and "id"); a program that is not there does not start.
    void aProgramStartsWithoutAShellAndItsExitIsKept() {
        TempFolder dir;
        Desktop desktop;
        ProgramLauncher* launcher = desktop.services().launcher;
        const std::string first = dir.file("a;b"), second = dir.file("$(id)");
        auto id = launcher->start("touch " + first + " " + second);
        QTRY_VERIFY(std::filesystem::exists(first) && std::filesystem::exists(second));
        QVERIFY(!launcher->start("/no/such/program --flag"));

        // Its exit is kept, or the signal that ended it.
        id = launcher->start("sh -c 'exit 3'");
        QTRY_COMPARE(launcher->exitStatus(*id), std::optional<ProgramExit>(ProgramExit{3, 0}));
        const auto killed = launcher->start("sh -c 'kill -9 $$'");
        QTRY_COMPARE(launcher->exitStatus(*killed), std::optional<ProgramExit>(ProgramExit{0, 9}));
        QVERIFY(!launcher->isRunning(0));

        // Children that QProcess owns are left to it.
        QProcess own;
        own.start("sh", {"-c", "exit 5"});
        QVERIFY(own.waitForFinished(3000));
        QCOMPARE(own.exitCode(), 5);
    }

    // The user's choice comes first: $VISUAL, then $EDITOR (one that works in
    // a terminal is run in one), then the first common editor found. The
    // script's path is one argument whatever it holds; no editor at all is a
    // clear failure.
    void theUsersEditorComesFirst() {
        // A folder of fake programs as the whole PATH and no editor variables.
        TempFolder dir;
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        for (const char* name : {"VISUAL", "EDITOR"}) qunsetenv(name);
        qputenv("PATH", QByteArray::fromStdString(dir.path()));
        // Each fake program writes its arguments, each ended by |, to <name>.args.
        for (const char* name : {"gui-ed", "nano", "x-terminal-emulator", "common-ed"}) {
            const std::string path = dir.file(name);
            writeAll(path, "#!/bin/sh\nfor a; do printf '%s|' \"$a\"; done > " + path + ".args\n");
            QFile::setPermissions(QString::fromStdString(path), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        const std::string script = dir.file("my script; $(x).wdx");
        DesktopTextEditor editor({"no-such-editor-here", "common-ed"});
        // What the program started got as its arguments, or why none started.
        auto opened = [&](const std::string& name) {
            const std::string args = dir.file(name + ".args");
            std::filesystem::remove(args);
            std::string failure;
            if (!editor.open(script, failure)) return failure;
            for (int k = 0; k < 100 && !std::filesystem::exists(args); ++k) QTest::qWait(50);
            return readAll(args);
        };
        qputenv("VISUAL", "gui-ed --wait");
        qputenv("EDITOR", "nano -w");
        QCOMPARE(opened("gui-ed"), "--wait|" + script + "|");
        qunsetenv("VISUAL");
        QCOMPARE(opened("x-terminal-emulator"), "-e|" + dir.file("nano") + "|-w|" + script + "|");
        qunsetenv("EDITOR");
        QCOMPARE(opened("common-ed"), script + "|");
        std::filesystem::remove(dir.file("common-ed"));
        QVERIFY(QString::fromStdString(opened("none")).contains("No text editor"));
    }

    // The lock goes by the folder's identity, so every path to it finds it. A
    // show request before the window is ready waits for the handler; leaving
    // frees the folder at once.
    void oneInstancePerFolderAndLaterStartsReachIt() {
        TempFolder dir, other;
        SingleInstance first(dir.path());
        QVERIFY(first.acquire());
        SingleInstance second(dir.path()), viaDots(dir.path() + "/./"), elsewhere(other.path());
        QVERIFY(!second.acquire());
        QVERIFY(!viaDots.acquire());
        QVERIFY(elsewhere.acquire());

        // A later start asks from a thread of its own while this one answers.
        auto asked = std::async(std::launch::async, [&second] { return second.notifyRunning(5000); });
        QVERIFY(QTest::qWaitFor([&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        QVERIFY(asked.get());
        int shown = 0;
        first.setShowHandler([&] { ++shown; });
        QTRY_COMPARE(shown, 1);
        first.release();
        QVERIFY(second.acquire());
    }

    // What started programs write is kept per run, cut to its last bytes
    // (also while the program still runs); only the newest runs are kept
    // within a total.
    void theLastBytesOfTheNewestRunsAreKept() {
        QTemporaryDir dir, few;
        OutputCaptures captures(dir.path().toStdString());
        SpawnLauncher launcher;
        launcher.setOutputCaptures(&captures);
        const int chatty = static_cast<int>(launcher.start("sh -c 'head -c 1000000 /dev/zero; exec sleep 5'").value());
        QTRY_VERIFY_WITH_TIMEOUT(captureSize(dir, chatty) > 0 && captureSize(dir, chatty) <= 128 * 1024, 5000);
        ::kill(chatty, SIGKILL);
        const int done = runToEnd(launcher, "sh -c 'head -c 200000 /dev/zero | tr \"\\0\" a; echo; echo END >&2'");
        QCOMPARE(captureSize(dir, done), 64 * 1024);
        const std::string text = OutputCaptures::read(dir.path().toStdString(), done, std::time(nullptr)).value();
        QCOMPARE(text.substr(text.size() - 6), std::string("a\nEND\n"));

        OutputCaptures small(few.path().toStdString(), {1000, 2000, 3, 2500});
        launcher.setOutputCaptures(&small);
        std::vector<int> pids;
        for (int i = 0; i < 5; ++i) pids.push_back(runToEnd(launcher, "head -c 1500 /dev/zero"));
        // At the last start, two older captures fitted the total; then the new one.
        QCOMPARE(QDir(few.path()).entryList(QDir::Files).size(), 3);
        QCOMPARE(captureSize(few, pids[2]), 1000);
        QCOMPARE(captureSize(few, pids[1]), -1);
        QVERIFY(!launcher.start("no-such-program-here"));
        QVERIFY(QDir(few.path()).entryList({"new-*"}, QDir::Files).isEmpty());
    }

    // On a private session bus: a notice's body is escaped as markup and its
    // action names the task.
    void aNoticesActionNamesTheTask() {
        QProcess daemon;
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(daemon.waitForReadyRead(10000));
        const auto stop = qScopeGuard([&] { daemon.kill(), daemon.waitForFinished(); });
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        QDBusConnection serviceBus = QDBusConnection::connectToBus(address, "service");
        FakeNotifications service;
        serviceBus.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots);
        QVERIFY(serviceBus.registerService("org.freedesktop.Notifications"));
        DesktopNotifications notifier(QDBusConnection::connectToBus(address, "notifier"));
        std::string shown;
        notifier.setActionHandler([&](const std::string& task) { shown = task; });
        notifier.notify({"Back<up>", "Task \"Back<up>\" failed", "Could not start: nothere & co"});
        QTRY_COMPARE(service.calls,
                     QStringList{"Task \"Back<up>\" failed | Could not start: nothere &amp; co | default"});
        QTest::qWait(200); // the notice's id has come back
        QDBusMessage clicked = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                          "org.freedesktop.Notifications", "ActionInvoked");
        QVERIFY(serviceBus.send(clicked << 101u << QString("default")));
        QTRY_COMPARE(shown, std::string("Back<up>"));
    }
};

QTEST_MAIN(DesktopServicesTest)
#include "DesktopServicesTest.moc"
