// The two start-up options: their toggles and marks, their saving, how the
// next start honours them, and the splash window that opens the start-up.
#include <QLabel>
#include <QtTest>

#include "tests/ui/MainWindowRig.h"
#include "ui/about/frmSplash.h"

using namespace wendrel;
using namespace wendrel::testing;

class OptionsStartupTest : public QObject {
    Q_OBJECT

private slots:
    void twoTogglesLeaveAnOptionAsItWasAndNothingActsAtOnce() {
        Rig rig;
        Form1& form = rig.start("", " 0 \r\n 1 \r\n");
        QVERIFY(!form.menus().MenuMinimize->isChecked() && form.menus().MenuTray->isChecked());
        form.menus().MenuMinimize->trigger();
        QVERIFY(rig.g.MinimizeOnStartup == 1 && form.menus().MenuMinimize->isChecked());
        form.menus().MenuMinimize->trigger();
        QVERIFY(rig.g.MinimizeOnStartup == 0 && !form.menus().MenuMinimize->isChecked());
        form.menus().MenuTray->trigger();
        QVERIFY(rig.g.MinimizeToTray == 0 && !form.menus().MenuTray->isChecked());
        QVERIFY(!form.tray()->inStandby());
        QVERIFY(!(form.windowState() & Qt::WindowMinimized));
        form.close();
        QCOMPARE(readAll(rig.dir.file("Scripts.ini")), std::string(" 0 \r\n 0 \r\n"));
    }

    void startUpHonoursTheOptions() {
        struct Case {
            const char* ini;
            bool hasTray, minimized, standby;
        } cases[] = {
            {" 1 \r\n 0 \r\n", true, true, false},  // minimized only
            {" 1 \r\n 1 \r\n", true, false, true},  // hidden in the tray
            {" 0 \r\n 1 \r\n", true, false, false}, // the tray option alone does nothing
            {" 1 \r\n 1 \r\n", false, true, false}, // no tray host: minimized, never lost
        };
        for (const Case& c : cases) {
            Rig rig;
            Form1& form = rig.start(taskLine("A"), c.ini, c.hasTray);
            QCOMPARE(bool(form.windowState() & Qt::WindowMinimized), c.minimized);
            QCOMPARE(form.tray()->inStandby(), c.standby);
            QCOMPARE(form.tray()->Hooked(), c.standby);
            QCOMPARE(form.tray()->iconShown(), c.standby);
            QVERIFY(!form.isVisible()); // showing it is left to the program's main
        }
    }

    // The splash closes once it has been drawn, well before its latest
    // moment (which only a splash that is never drawn reaches).
    void theSplashClosesOnceDrawn() {
        const qint64 open = frmSplash::showModal(nullptr);
        QVERIFY2(open < frmSplash::kLatestCloseMs, qPrintable(QString("open %1 ms").arg(open)));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void theSplashNamesThePlatformItRunsOn() {
        frmSplash splash;
        QCOMPARE(splash.lblPlatform->text(), QString("For Linux"));
    }
};

QTEST_MAIN(OptionsStartupTest)
#include "OptionsStartupTest.moc"
