// The tray: the hook's state machine, the routing of the icon's messages,
// and standby and restore.
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QtTest>
#include <vector>

#include "tests/ui/MainWindowRig.h"

using namespace wendrel;
using namespace wendrel::testing;

class TrayTest : public QObject {
    Q_OBJECT

private slots:
    // Hooking twice saves the original handler once; only a left release on
    // the icon opens the menu, everything else passes on to the original;
    // unhooking puts the original back.
    void theHookRoutesOnlyTheLeftReleaseToTheMenu() {
        using T = TrayController;
        Rig rig;
        Form1& form = rig.start("");
        T& tray = *form.tray();
        std::vector<long> passed;
        tray.setWindowProc([&](int, long lParam) {
            passed.push_back(lParam);
            return 5L;
        });
        int opened = 0;
        tray.setMenuOpener([&] { ++opened; });

        tray.UnhookWindow(); // not hooked: nothing happens
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kLeftButtonUp), 5L);

        tray.HookWindow(&form);
        tray.HookWindow(&form);
        QCOMPARE(tray.hookCount(), 1);
        QCOMPARE(tray.PreviousWindowProc()(0, 42), 5L); // the original, not the hook itself
        passed.clear();
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kLeftButtonDown), 5L);
        QCOMPARE(opened, 0); // the press alone does not open it
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kLeftButtonUp), -1L);
        QCOMPARE(opened, 1);
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kRightButtonUp), 5L);
        // Another message that merely carries the release's number.
        QCOMPARE(tray.deliver(0x200, T::kLeftButtonUp), 5L);
        QCOMPARE(passed, (std::vector<long>{T::kLeftButtonDown, T::kRightButtonUp, T::kLeftButtonUp}));

        tray.UnhookWindow();
        QVERIFY(!tray.Hooked());
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kLeftButtonUp), 5L);
        QCOMPARE(opened, 1);
    }

    void standbyHidesBehindTheIconAndRestoreBringsTheWindowBack() {
        Rig rig;
        Form1& form = rig.start(taskLine("A"));
        form.show();
        TrayController& tray = *form.tray();
        for (int round = 1; round <= 2; ++round) { // each standby hooks and adds the icon anew
            form.findChild<QPushButton*>("cmdSendtoTray")->click();
            QVERIFY(!form.isVisible());
            QVERIFY(tray.iconShown());
            QCOMPARE(tray.hookCount(), round);
            QCOMPARE(tray.iconTip(), QString("Wendrel"));
            QVERIFY(!tray.icon()->icon().isNull());
            form.menus().rest1->trigger();
            QVERIFY(form.isVisible());
            QVERIFY(!tray.Hooked());
            QVERIFY(!tray.iconShown());
        }
    }

    // Without a tray host the window is minimized instead of lost.
    void withoutATrayHostStandbyMinimizes() {
        Rig rig;
        Form1& form = rig.start("", " 0 \r\n 0 \r\n", false);
        form.show();
        form.SendToTray();
        QVERIFY(form.windowState() & Qt::WindowMinimized);
        QVERIFY(!form.tray()->iconShown());
    }
};

QTEST_MAIN(TrayTest)
#include "TrayTest.moc"
