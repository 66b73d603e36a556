// The status hints, the keys, the grid's menu, the Help menu's windows, the
// Run History window and Start at Login; the tray (the icon and its
// Exit) and the start-up options that use it.

#include "platform/Autostart.h"
#include "tests/ui/MainWindowRig.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmHelp.h"
#include "ui/history/frmHistory.h"

namespace {
void moveOver(QWidget* w) { sendMouse(w, QEvent::MouseMove, QPointF(3, 3)); }
// An Hourly task that is not due now, with its own script.
std::string task(const std::string& name, const std::string& script) {
    return name + "~~0~0~0~0~0~0~0~59~0~0~1~" + script + "\r\n";
}
} // namespace

class HintsMenusTest : public QObject {
    Q_OBJECT

private slots:
    // A move over the window's free area (the client area between the
    // controls) counts the tasks and active ones. The button hints name the
    // current task without its blank fill.
    void theSummaryCountsTasksAndButtonHintsNameTheCurrentTask() {
        Rig one, three;
        moveOver(one.start(taskLine("One")).centralWidget());
        QCOMPARE(one.form->hintText(), QString("1 Tasks listed, 1 of which is currently active."));
        Form1& form = three.start(taskLine("A") + taskLine("Big backup  ", 0) + taskLine("C"));
        moveOver(form.centralWidget());
        QCOMPARE(form.hintText(), QString("3 Tasks listed, 2 of which are currently active."));
        form.grid().selectRow(1);
        moveOver(form.findChild<QPushButton*>("cmdDelete"));
        QCOMPARE(form.hintText(), QString("Delete task Big backup from the task list permanently."));
        moveOver(form.findChild<QPushButton*>("cmdEditTask"));
        QCOMPARE(form.hintText(), QString("Review task Big backup's properties, eg. Interval, start time etc."));
    }

    // About is not modal, opens once however often it is asked for, shows the
    // program's folder, and OK unloads it; Help shows the program's own
    // document. An option's toggle flips the flag and its mark together and
    // saves; nothing acts before the next start. Start at Login, offered only
    // with a service, writes and removes the entry; its mark follows the entry
    // made or removed outside the program.
    void theHelpAndOptionsMenus() {
        Rig rig;
        Form1& form = rig.start("", " 0 \r\n 1 \r\n");
        form.menus().AboutOption->trigger();
        form.AboutOption_Click();
        QCOMPARE(form.findChildren<frmAbout*>().size(), qsizetype(1));
        QPointer<frmAbout> about = form.findChild<frmAbout*>("frmAbout");
        QVERIFY(!about->isModal());
        QCOMPARE(about->lblFolder->text(), "Folder: " + QString::fromStdString(rig.dir.path()));
        about->cmdOK->click();
        QTRY_VERIFY(about.isNull());
        form.menus().MenuContents->trigger();
        QVERIFY(form.findChild<frmHelp*>("frmHelp")->txtHelp->toPlainText().contains("Scripts.dat"));

        form.menus().MenuMinimize->trigger();
        QVERIFY(form.menus().MenuMinimize->isChecked());
        form.menus().MenuTray->trigger();
        QVERIFY(!form.menus().MenuTray->isChecked());
        QVERIFY(!(form.windowState() & Qt::WindowMinimized));
        QCOMPARE(readAll(rig.dir.file("Scripts.ini")), std::string(" 1 \r\n 0 \r\n"));

        QVERIFY(!form.menus().MenuStartAtLogin->isEnabled());
        TempFolder config;
        XdgAutostart autostart(config.file("autostart/wendrel.desktop"), "/opt/Wendrel");
        Services services = rig.services();
        services.loginStart = &autostart;
        QAction* atLogin = rig.open(rig.dir.path(), true, services).menus().MenuStartAtLogin;
        atLogin->trigger();
        QVERIFY(atLogin->isChecked());
        const std::string entry = readAll(autostart.entryPath());
        QVERIFY(entry.find("\nExec=/opt/Wendrel\n") != std::string::npos);
        atLogin->trigger();
        QVERIFY(!atLogin->isChecked());
        QVERIFY(!std::filesystem::exists(autostart.entryPath()));
        writeAll(autostart.entryPath(), entry);
        emit rig.form->menus().OptionMenu->aboutToShow();
        QVERIFY(atLogin->isChecked());
    }

    // A right click makes the row under the mouse current and offers the
    // grid's menu; the Menu key opens it under the current row. A refused
    // Run Task Now says why in the hint panel; the task's history opens
    // filtered on it, newest first.
    void theGridsMenuActsOnTheRowUnderTheMouse() {
        Rig rig;
        Form1& form = rig.start(task("A", "a.wdx") + task("B", "b.wdx"));
        QVERIFY(rig.show());
        QTableWidget* table = form.grid().table();
        emit table->customContextMenuRequested(table->visualRect(table->model()->index(1, 1)).center());
        QCOMPARE(form.grid().row(), 1);
        QTRY_VERIFY(form.menus().gridPopup->isVisible());
        form.menus().gridPopup->close();
        QTest::keyClick(table, Qt::Key_Menu);
        QTRY_VERIFY(form.menus().gridPopup->isVisible());
        const QRect row = table->visualRect(table->model()->index(1, 0));
        QCOMPARE(form.menus().gridPopup->pos(), table->viewport()->mapToGlobal(row.bottomLeft()));
        form.menus().gridPopup->close();
        rig.g().slot(2).Running = 1;
        form.menus().MenuRunNow->trigger();
        QTRY_COMPARE(form.hintText(), QString("Task B has not finished its last run: not started again."));
        RunLogFile log(rig.dir.path());
        for (int s : {1, 2, 3})
            log.add({{2026, 12, 7, 9, 30, s}, RunEventKind::Started, s < 3 ? "B" : "A", {}, {}, {}, {}});
        form.menus().taskHistory->trigger();
        const frmHistory* history = form.findChild<frmHistory*>("frmHistory");
        QCOMPARE(history->taskFilter(), QString("B"));
        QCOMPARE(history->grdEvents->item(0, 0)->text(), QString("2026-12-07 09:30:02"));
    }

    // The window's keys: each row is a key, where it is pressed (the grid or
    // a button, in the shown and active window) and what it does.
    void keysActOnTheCurrentTask_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("onGrid");
        QTest::addColumn<QString>("effect");
        QTest::newRow("F2") << "F2" << true << "editor";
        QTest::newRow("Ctrl+N") << "Ctrl+N" << false << "editor";
        QTest::newRow("Delete") << "Del" << true << "deleted after asking";
        QTest::newRow("Delete works in the grid only") << "Del" << false << "nothing";
        QTest::newRow("Space") << "Space" << true << "toggled";
        QTest::newRow("Ctrl+R") << "Ctrl+R" << false << "run";
        QTest::newRow("Ctrl+Q") << "Ctrl+Q" << false << "exit";
        QTest::newRow("F1") << "F1" << false << "help";
        QTest::newRow("F10") << "F10" << false << "menu &File";
    }
    void keysActOnTheCurrentTask() {
        QFETCH(QString, keys);
        QFETCH(bool, onGrid);
        Rig rig;
        writeAll(rig.dir.file("a.wdx"), "EXEC progA\r\n");
        Form1& form = rig.start(task("A", "a.wdx") + task("B", "a.wdx"));
        QVERIFY(rig.show());
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QWidget* target =
            onGrid ? static_cast<QWidget*>(form.grid().table()) : form.findChild<QPushButton*>("cmdNewTask");
        target->setFocus();
        QSignalSpy unloaded(&form, &Form1::unloaded);
        const bool editor = rig.inEditor([&] { rig.editor()->cmdCancel_Click(); },
                                         [&] { QTest::keySequence(target, QKeySequence(keys)); });
        QCoreApplication::processEvents(); // Run Task Now starts once the key is handled
        QString effect = "nothing";
        if (editor) effect = "editor";
        else if (!rig.launcher.started.empty()) effect = "run";
        else if (unloaded.count() == 1) effect = "exit";
        else if (rig.g().TaskCount == 1) effect = rig.messages.shown.empty() ? "deleted" : "deleted after asking";
        else if (rig.g().slot(1).Active == 0) effect = "toggled";
        else if (form.findChild<frmHelp*>()) effect = "help";
        else if (form.menuBar()->activeAction()) effect = "menu " + form.menuBar()->activeAction()->text();
        QTEST(effect, "effect");
    }

    // Standby shows the program's icon and tip; the tray menu's Exit ends the
    // program as File > Exit does, and takes the icon away. (The hidden window, a right and a
    // left click on a real tray's icon, and Restore are the desktop tests'.)
    void standbyHidesBehindTheIconAndExitTakesItAway() {
        Rig rig;
        Form1& form = rig.start(taskLine("A"));
        form.show();
        TrayController& tray = *form.tray();
        rig.click("cmdSendtoTray");
        QVERIFY(tray.iconShown());
        QCOMPARE(tray.iconTip(), QString("Wendrel"));
        QCOMPARE(tray.icon()->icon().availableSizes().size(), 6); // the program's icon, every size read
        QSignalSpy unloaded(&form, &Form1::unloaded);
        form.menus().trayExit->trigger();
        QCOMPARE(unloaded.count(), 1);
        QVERIFY(!tray.iconShown());
    }

    // Without a tray Standby minimizes the window, leaving it a way back, and
    // the hint panel says so the first time.
    void standbyWithoutATrayMinimizesAndSaysSoOnce() {
        Rig rig;
        Form1& form = rig.start(taskLine("A"), " 0 \r\n 0 \r\n", false);
        form.show();
        rig.click("cmdSendtoTray");
        QVERIFY(form.isVisible());
        QVERIFY(form.hintText().contains("no system tray"));
        form.bringToFront();
        form.setPanelText(2, "Wendrel.");
        rig.click("cmdSendtoTray");
        QCOMPARE(form.hintText(), QString("Wendrel."));
    }

    void startUpHonoursTheOptions_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("hasTray");
        QTest::addColumn<bool>("minimized");
        QTest::addColumn<bool>("standby");
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
};

QTEST_MAIN(HintsMenusTest)
#include "HintsMenusTest.moc"
