// The folder lock and the show request between two starts, and the way out
// of the program while scripts wait.
#include <QtTest>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
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

        for (const std::string& junk : {std::string("sho\nshowx\n"), std::string(100000, '\x01') + "show\n"}) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, QFile::encodeName(running.socketPath()).constData(),
                         sizeof address.sun_path - 1);
            QVERIFY(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
            ::send(fd, junk.data(), junk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            QTest::qWait(200);
            ::close(fd);
        }
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
