// The two start-up options: their toggles and marks, their saving, how the
// next start honours them, and the splash window that opens the start-up.
#include <QAction>
#include <QLabel>
#include <QtTest>

#include "tests/ui/MainWindowRig.h"
#include "ui/about/frmSplash.h"

using namespace wendrel;
using namespace wendrel::testing;

class OptionsStartupTest : public QObject {
    Q_OBJECT

private slots:
    // Each toggle flips the flag and its mark together; nothing acts before
    // the next start, and the options are saved.
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

QTEST_MAIN(OptionsStartupTest)
#include "OptionsStartupTest.moc"
