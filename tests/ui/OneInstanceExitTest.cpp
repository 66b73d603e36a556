// The folder lock and the show request between two starts, and the way out
// of the program while scripts wait.
#include <QLocalSocket>
#include <QtTest>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <unistd.h>

#include "platform/SingleInstance.h"
#include "tests/ui/MainWindowRig.h"

using namespace wendrel;
using namespace wendrel::testing;

class OneInstanceExitTest : public QObject {
    Q_OBJECT
private slots:
    // The lock is the folder's own: no file deleted or planted in it lets a
    // second instance in, and none is created through a link.
    void oneLockPerFolderThatNoFileCanFool() {
        TempFolder dir, other, outside;
        SingleInstance first(dir.path());
        QVERIFY(first.acquire());
        const std::string lockFile = dir.file(".Wendrel.lock");
        std::remove(lockFile.c_str());
        QVERIFY(!SingleInstance(dir.path()).acquire());
        QVERIFY(::symlink(outside.file("planted").c_str(), lockFile.c_str()) == 0);
        SingleInstance second(dir.path()), viaDots(dir.path() + "/./"), elsewhere(other.path());
        QVERIFY(!second.acquire());
        QVERIFY(!viaDots.acquire());
        QVERIFY(!QFile::exists(QString::fromStdString(outside.file("planted"))));
        QVERIFY(elsewhere.acquire());
        first.release(); // leaving frees the folder at once
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

    // Exit while a script waits, with a message box and the editor of a new
    // task open above the wait: everything gives way at once, nothing is
    // asked, and the list is saved without the half-made task.
    void exitEndsWhatWaitsAndSavesWithoutAsking() {
        Rig rig;
        writeAll(rig.dir.file("wait.wdx"), "WAIT 100000\r\nMSG after the wait\r\n");
        Form1& form = rig.start("Waits~~5~0~0~0~0~0~0~0~0~1~1~wait.wdx\r\n"); // Other, every tick
        QSignalSpy unloaded(&form, &Form1::unloaded);
        int boxResult = -1;
        rig.pump.onPass = [&] {
            if (rig.pump.passes != 10) return;
            QTimer::singleShot(10, [&] {
                QMessageBox box(QMessageBox::NoIcon, "Wendrel 1.00", "a message of another script");
                boxResult = box.exec();
            });
            QTimer::singleShot(100, [&] { form.menus().MenuExit->trigger(); });
            form.NewTask();
        };
        form.Timer1_Timer();
        QCOMPARE(rig.pump.passes, 10);
        QCOMPARE(unloaded.count(), 1);
        QVERIFY(boxResult != -1);
        QVERIFY(rig.messages.shown.empty());
        const std::string saved = readAll(rig.dir.file("Scripts.dat"));
        QCOMPARE(std::count(saved.begin(), saved.end(), '\n'), 1);
    }
};

QTEST_MAIN(OneInstanceExitTest)
#include "OneInstanceExitTest.moc"
