// The folder lock and the show request between two starts, and the signals
// that end the program through the main window's unload.
#include <QLocalSocket>
#include <QtTest>
#include <csignal>

#include "platform/Signals.h"
#include "platform/SingleInstance.h"
#include "tests/ui/MainWindowRig.h"

using namespace wendrel;
using namespace wendrel::testing;

class OneInstanceExitTest : public QObject {
    Q_OBJECT
private slots:
    void oneLockPerFolderReleasedWithItsHolder() {
        TempFolder dir, other;
        auto first = std::make_unique<SingleInstance>(dir.path());
        QVERIFY(first->acquire() && first->holdsLock());
        SingleInstance second(dir.path()), viaDots(dir.path() + "/./"), elsewhere(other.path());
        QVERIFY(!second.acquire());
        QVERIFY(!viaDots.acquire());   // the same folder named another way
        QVERIFY(elsewhere.acquire());
        first.reset();
        QVERIFY(second.acquire());
    }

    // A request before the window is ready waits for the handler; garbage on
    // the socket shows nothing and leaves the running one answering.
    void laterStartsReachTheRunningOne() {
        TempFolder dir;
        SingleInstance running(dir.path()), later(dir.path());
        QVERIFY(running.acquire());
        QVERIFY(!later.acquire());
        QVERIFY(later.notifyRunning(3000));
        QTest::qWait(100);
        int shown = 0;
        running.setShowHandler([&] { ++shown; });
        QTRY_COMPARE(shown, 1);

        QLocalSocket junk;
        junk.connectToServer(running.serverName());
        QVERIFY(junk.waitForConnected(2000));
        junk.write(QByteArray(100000, '\x01'));
        junk.write("sho\nshowx\n");
        junk.waitForBytesWritten(2000);
        QTest::qWait(200);
        junk.abort();
        QTest::qWait(100);
        QCOMPARE(shown, 1);
        QVERIFY(later.notifyRunning(3000));
        QTRY_COMPARE(shown, 2);
    }

    // A signal during the start-up must not replace the store with the empty
    // table that exists before the store is read.
    void earlySignalWaitsForTheLoadedStore() {
        const std::string shortLine = "Poll~~5~0~0~0~0~0~0~0~5~1~0~poll.wdx\r\n";
        Rig rig;
        writeAll(rig.dir.file("Scripts.dat"), shortLine);
        Form1 form(rig.g, rig.dir.path(), rig.services(), Form1::Options{false, false});
        ExitGuard guard(*qApp, form);
        guard.setGraceSeconds(3600);
        bool unloaded = false;
        connect(&form, &Form1::unloaded, this, [&] { unloaded = true; });
        ::raise(SIGTERM);
        QTest::qWait(200);
        QVERIFY(!unloaded);
        QCOMPARE(readAll(rig.dir.file("Scripts.dat")), shortLine);
        form.Form_Load();
        guard.setReady();
        QVERIFY(unloaded);
        QCOMPARE(rig.g.TaskCount, std::int16_t(1));
        QCOMPARE(readAll(rig.dir.file("Scripts.dat")).size(), std::size_t(121));
    }
};

QTEST_MAIN(OneInstanceExitTest)
#include "OneInstanceExitTest.moc"
