// The tray (the hook's state machine, the routing of the icon's messages,
// standby and restore) and the two start-up options that use it: their
// toggles and marks, their saving and how the next start honours them; and
// the splash window that opens the start-up.

#include "tests/ui/MainWindowRig.h"
#include "ui/about/frmSplash.h"

using namespace wendrel;
using namespace wendrel::testing;

class TrayAndStartupTest : public QObject {
    Q_OBJECT

private slots:
    // Hooking twice saves the original handler once; only a left release on
    // the icon opens the menu, everything else passes on to the original
    // (which answers 5); unhooking puts the original back.
    void theHookRoutesOnlyTheLeftReleaseToTheMenu() {
        using T = TrayController;
        Rig rig;
        Form1& form = rig.start("");
        T& tray = *form.tray();
        tray.setWindowProc([](int, long) { return 5L; });
        int opened = 0;
        tray.setMenuOpener([&] { ++opened; });

        tray.UnhookWindow(); // not hooked: nothing happens
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kLeftButtonUp), 5L);

        tray.HookWindow(&form);
        tray.HookWindow(&form);
        QCOMPARE(tray.hookCount(), 1);
        QCOMPARE(tray.PreviousWindowProc()(0, 42), 5L); // the original, not the hook itself
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kLeftButtonDown), 5L);
        QCOMPARE(opened, 0); // the press alone does not open it
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kLeftButtonUp), -1L);
        QCOMPARE(opened, 1);
        QCOMPARE(tray.deliver(T::kTrayCallback, T::kRightButtonUp), 5L);
        // Another message that merely carries the release's number.
        QCOMPARE(tray.deliver(0x200, T::kLeftButtonUp), 5L);

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
            rig.click("cmdSendtoTray");
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
        // Without a tray host the window is minimized instead of lost.
        Rig noHost;
        noHost.start("", " 0 \r\n 0 \r\n", false).show();
        noHost.form->SendToTray();
        QVERIFY(noHost.form->windowState() & Qt::WindowMinimized);
        QVERIFY(!noHost.form->tray()->iconShown());
    }

    // Each option's toggle flips the flag and its mark together; nothing acts
    // before the next start, and the options are saved.
    void togglesFlipFlagAndMarkAndActOnlyAtTheNextStart() {
        Rig rig;
        Form1& form = rig.start("", " 0 \r\n 1 \r\n");
        QAction* minimize = form.menus().MenuMinimize;
        minimize->trigger();
        QCOMPARE(rig.g.MinimizeOnStartup, std::int16_t(1));
        QVERIFY(minimize->isChecked());
        minimize->trigger();
        QVERIFY(!minimize->isChecked());
        form.menus().MenuTray->trigger();
        QVERIFY(!form.menus().MenuTray->isChecked());
        QVERIFY(!(form.windowState() & Qt::WindowMinimized));
        QCOMPARE(readAll(rig.dir.file("Scripts.ini")), std::string(" 0 \r\n 0 \r\n"));
    }

    void startUpHonoursTheOptions_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("hasTray");
        QTest::addColumn<bool>("minimized");
        QTest::addColumn<bool>("standby");
        QTest::newRow("minimized only") << " 1 \r\n 0 \r\n" << true << true << false;
        QTest::newRow("hidden in the tray") << " 1 \r\n 1 \r\n" << true << false << true;
        QTest::newRow("the tray option alone does nothing") << " 0 \r\n 1 \r\n" << true << false << false;
        QTest::newRow("no tray host: minimized, never lost") << " 1 \r\n 1 \r\n" << false << true << false;
    }
    void startUpHonoursTheOptions() {
        QFETCH(QString, ini);
        QFETCH(bool, hasTray);
        Rig rig;
        Form1& form = rig.start(taskLine("A"), ini.toStdString(), hasTray);
        QTEST(bool(form.windowState() & Qt::WindowMinimized), "minimized");
        QTEST(form.tray()->iconShown(), "standby");
        QVERIFY(!form.isVisible()); // showing it is left to the program's main
    }

    // The splash closes once it has been drawn, well before its latest
    // moment (which only a splash that is never drawn reaches).
    void theSplashClosesOnceDrawn() {
        const qint64 open = frmSplash::showModal(nullptr);
        QVERIFY2(open < frmSplash::kLatestCloseMs, qPrintable(QString("open %1 ms").arg(open)));
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TrayAndStartupTest)
#include "TrayAndStartupTest.moc"
