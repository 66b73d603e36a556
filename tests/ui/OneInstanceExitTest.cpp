// The folder lock and the show request between two starts, and the signals
// that end the program through the main window's unload.
#include <QLocalSocket>
#include <QtTest>
#include <csignal>
#include <fstream>

#include "platform/Signals.h"
#include "platform/SingleInstance.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"
#include "ui/main/Form1.h"
#include "ui/tray/Tray.h"

using namespace wendrel;

namespace {
std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

const std::string kShortLine = "Poll~~5~0~0~0~0~0~0~0~5~1~0~poll.wdx\r\n";

struct Rig {
    FakeClock clock;
    FakePump pump{clock};
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeActivator activator;
    FakeKeys keys;
    General g;
    Services services() {
        Services s;
        s.messages = &messages;
        s.launcher = &launcher;
        s.activator = &activator;
        s.keys = &keys;
        s.pump = &pump;
        s.clock = &clock;
        return s;
    }
};
} // namespace

class OneInstanceExitTest : public QObject {
    Q_OBJECT
private slots:
    void oneLockPerFolderReleasedWithItsHolder() {
        TempFolder dir, other;
        auto first = std::make_unique<SingleInstance>(dir.path());
        QVERIFY(first->acquire());
        QVERIFY(first->holdsLock());
        SingleInstance second(dir.path());
        QVERIFY(!second.acquire());
        // The same folder named another way is the same folder.
        SingleInstance viaDots(dir.path() + "/./");
        QVERIFY(!viaDots.acquire());
        SingleInstance elsewhere(other.path());
        QVERIFY(elsewhere.acquire());
        first.reset();
        QVERIFY(second.acquire());
    }

    void laterStartReachesTheRunningOne() {
        TempFolder dir;
        SingleInstance running(dir.path());
        QVERIFY(running.acquire());
        int shown = 0;
        // A request before the window is ready waits for the handler.
        SingleInstance later(dir.path());
        QVERIFY(!later.acquire());
        QVERIFY(later.notifyRunning(3000));
        QTest::qWait(100);
        QCOMPARE(shown, 0);
        running.setShowHandler([&] { ++shown; });
        QTRY_COMPARE(shown, 1);
        QVERIFY(later.notifyRunning(3000));
        QTRY_COMPARE(shown, 2);
    }

    void garbageOnTheSocketIsIgnored() {
        TempFolder dir;
        SingleInstance running(dir.path());
        QVERIFY(running.acquire());
        int shown = 0;
        running.setShowHandler([&] { ++shown; });
        QLocalSocket junk;
        junk.connectToServer(running.serverName());
        QVERIFY(junk.waitForConnected(2000));
        junk.write(QByteArray(100000, '\x01'));
        junk.write("sho\nshowx\n");
        junk.waitForBytesWritten(2000);
        QTest::qWait(200);
        junk.abort();
        QTest::qWait(100);
        QCOMPARE(shown, 0);
        // The running one still answers afterwards.
        SingleInstance later(dir.path());
        QVERIFY(later.notifyRunning(3000));
        QTRY_COMPARE(shown, 1);
    }

    void bringToFrontShowsHiddenAndMinimizedWindows() {
        TempFolder dir;
        Rig rig;
        Form1 form(rig.g, dir.path(), rig.services(), Form1::Options{false, false});
        form.Form_Load();
        QVERIFY(!form.isVisible());
        bringToFront(form);
        QVERIFY(form.isVisible());
        form.showMinimized();
        bringToFront(form);
        QVERIFY(!form.isMinimized());
        // Out of the tray: the window comes back and standby ends.
        form.tray()->setTrayAvailable([] { return true; });
        form.SendToTray();
        QVERIFY(form.tray()->inStandby());
        QVERIFY(!form.isVisible());
        bringToFront(form);
        QVERIFY(!form.tray()->inStandby());
        QVERIFY(form.isVisible());
        form.close();
    }

    // A signal during the start-up must not replace the store with the empty
    // table that exists before the store is read.
    void earlySignalWaitsForTheLoadedStore() {
        TempFolder dir;
        writeAll(dir.file("Scripts.dat"), kShortLine);
        Rig rig;
        Form1 form(rig.g, dir.path(), rig.services(), Form1::Options{false, false});
        ExitGuard guard(*qApp, form);
        guard.setGraceSeconds(3600);
        bool unloaded = false;
        connect(&form, &Form1::unloaded, this, [&] { unloaded = true; });
        ::raise(SIGTERM);
        QTest::qWait(200);
        QVERIFY(!unloaded);
        QCOMPARE(readAll(dir.file("Scripts.dat")), kShortLine);
        form.Form_Load();
        guard.setReady();
        QVERIFY(unloaded);
        QCOMPARE(rig.g.TaskCount, std::int16_t(1));
        QCOMPARE(readAll(dir.file("Scripts.dat")).size(), std::size_t(121));
    }
};

QTEST_MAIN(OneInstanceExitTest)
#include "OneInstanceExitTest.moc"
