// The tray: the hook's state machine, the routing of the icon's messages,
// standby and restore, and leaving the program from the tray menu.
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QtTest>
#include <vector>

#include "tests/ui/TrayTestRig.h"

using namespace wendrel;
using namespace wendrel::testing;

class TrayTest : public QObject {
    Q_OBJECT

private slots:
    void hookingTwiceReplacesTheHandlerOnceAndUnhookPutsTheOriginalBack() {
        Rig rig;
        Form1& form = rig.start("");
        TrayController& tray = *form.tray();
        std::vector<long> seenByOriginal;
        tray.setWindowProc([&](int, long lParam) {
            seenByOriginal.push_back(lParam);
            return 7L;
        });

        tray.UnhookWindow();   // not hooked: nothing happens
        QVERIFY(!tray.Hooked());
        QCOMPARE(tray.deliver(TrayController::kTrayCallback, TrayController::kRightButtonUp), 7L);

        tray.HookWindow(&form);
        tray.HookWindow(&form);
        QVERIFY(tray.Hooked());
        QCOMPARE(tray.hookCount(), 1);
        QCOMPARE(tray.HookedWindow(), static_cast<QWidget*>(&form));
        // The saved handler is the original, not the hook itself.
        QCOMPARE(tray.PreviousWindowProc()(0, 42), 7L);

        tray.UnhookWindow();
        QVERIFY(!tray.Hooked());
        seenByOriginal.clear();
        QCOMPARE(tray.deliver(TrayController::kTrayCallback, TrayController::kLeftButtonUp), 7L);
        QCOMPARE(seenByOriginal, std::vector<long>{TrayController::kLeftButtonUp});
        QCOMPARE(tray.menuOpenCount(), 0);
    }

    void onlyALeftReleaseOpensTheMenuOtherMessagesPassOn() {
        Rig rig;
        Form1& form = rig.start("");
        TrayController& tray = *form.tray();
        std::vector<long> passed;
        tray.setWindowProc([&](int, long lParam) {
            passed.push_back(lParam);
            return 5L;
        });
        // Not hooked: the replacement handler answers 0 and does nothing.
        QCOMPARE(tray.TrayWindowProc(TrayController::kTrayCallback, TrayController::kLeftButtonUp), 0L);

        int opened = 0;
        tray.setMenuOpener([&] { ++opened; });
        tray.HookWindow(&form);
        using T = TrayController;
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kLeftButtonDown), 5L);
        QCOMPARE(opened, 0);   // the press alone does not open it
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kLeftButtonUp), -1L);
        QCOMPARE(opened, 1);
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kRightButtonDown), 5L);
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kRightButtonUp), 5L);
        // Another message that merely carries the release's number.
        QCOMPARE(tray.deliver(0x200, T::kLeftButtonUp), 5L);
        QCOMPARE(opened, 1);
        QCOMPARE(passed, (std::vector<long>{T::kLeftButtonDown, T::kRightButtonDown, T::kRightButtonUp,
                                            T::kLeftButtonUp}));
    }

    void standbyHidesBehindTheIconAndRestoreBringsTheWindowBack() {
        Rig rig;
        Form1& form = rig.start(taskLine("A", 1));
        form.show();
        TrayController& tray = *form.tray();

        form.cmdSendtoTray->click();
        QVERIFY(!form.isVisible());
        QVERIFY(tray.inStandby());
        QVERIFY(tray.Hooked());
        QVERIFY(tray.iconShown());
        QCOMPARE(tray.iconTip(), QString("Wendrel"));
        QVERIFY(!tray.icon()->icon().isNull());

        form.rest1->trigger();
        QVERIFY(form.isVisible());
        QVERIFY(!tray.inStandby());
        QVERIFY(!tray.Hooked());
        QVERIFY(!tray.iconShown());

        // Standby again hooks and adds the icon anew.
        form.SendToTray();
        QVERIFY(tray.Hooked() && tray.iconShown() && !form.isVisible());
        QCOMPARE(tray.hookCount(), 2);
        form.rest1_Click();
        QVERIFY(form.isVisible());
    }

    void withoutATrayHostStandbyMinimizesInstead() {
        Rig rig;
        Form1& form = rig.start("", " 0 \r\n 0 \r\n", false);
        form.show();
        form.SendToTray();
        QVERIFY(form.isVisible());
        QVERIFY(form.windowState() & Qt::WindowMinimized);
        QVERIFY(!form.tray()->inStandby());
        QVERIFY(!form.tray()->Hooked());
        QVERIFY(!form.tray()->iconShown());
    }

    void exitFromTheTrayMenuSavesRemovesTheIconAndEnds() {
        Rig rig;
        Form1& form = rig.start(taskLine("A", 1) + "\r\n", " 1 \r\n 1 \r\n");
        QVERIFY(form.tray()->inStandby());
        QSignalSpy unloaded(&form, &Form1::unloaded);
        writeAll(rig.dir.file("Scripts.dat"), "");   // proves the exit writes it
        form.trayExit->trigger();
        QCOMPARE(unloaded.count(), 1);
        QVERIFY(!form.tray()->iconShown());
        QVERIFY(!form.tray()->Hooked());
        QVERIFY(readAll(rig.dir.file("Scripts.dat")).rfind("A                   ~", 0) == 0);
        QCOMPARE(readAll(rig.dir.file("Scripts.ini")), std::string(" 1 \r\n 1 \r\n"));
    }
};

QTEST_MAIN(TrayTest)
#include "TrayTest.moc"
