// Run Task Now from the menus, the Run History window and Start at Login.
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QtTest>

#include "platform/Autostart.h"
#include "tests/ui/MainWindowRig.h"
#include "ui/history/frmHistory.h"

using namespace wendrel;
using namespace wendrel::testing;

namespace {
// An Hourly task that is not due now, with its own script.
std::string task(const std::string& name, const std::string& script) {
    return name + "~~0~0~0~0~0~0~0~59~0~0~1~" + script + "\r\n";
}

RunEvent startOf(const std::string& task, int second) {
    return RunEvent{{2026, 12, 7, 9, 30, second % 60}, RunEventKind::Started, task, "s.wdx", {}, {}, {}};
}
} // namespace

class RunHistoryTest : public QObject {
    Q_OBJECT

private slots:
    void runTaskNowRunsTheRowFromTheMenuOrTheGridsContextMenu() {
        Rig rig;
        writeAll(rig.dir.file("a.wdx"), "EXEC progA\r\n");
        writeAll(rig.dir.file("b.wdx"), "EXEC progB\r\n");
        Form1& form = rig.start(task("A", "a.wdx") + task("B", "b.wdx"));
        form.show();
        form.grid().selectRow(1);
        form.menus().MenuRunNow->trigger();
        QTRY_COMPARE(rig.launcher.started, (std::vector<std::string>{"progB"}));

        // A right click makes the row under the mouse current and offers the item.
        const QRect row0 = form.grid().table()->visualRect(form.grid().table()->model()->index(0, 1));
        emit form.grid().table()->customContextMenuRequested(row0.center());
        QCOMPARE(form.grid().row(), 0);
        QTRY_VERIFY(form.menus().GridPopup->isVisible());
        form.menus().GridPopup->close();
        form.menus().MenuRunNow->trigger();
        QTRY_COMPARE(rig.launcher.started.size(), size_t(2));
        QCOMPARE(rig.launcher.started.back(), std::string("progA"));
        rig.g.slot(1).Running = 1;
        form.RunTaskNow();
        QCOMPARE(rig.launcher.started.size(), size_t(2));
        QCOMPARE(form.hintText(), QString("Task A has not finished its last run: not started again."));

        form.menus().TaskHistory->trigger();
        auto* history = form.findChild<frmHistory*>("frmHistory");
        QVERIFY(history);
        QCOMPARE(history->taskFilter(), QString("A"));
        QCOMPARE(history->grdEvents->item(0, 3)->text(), QString("finished"));
    }

    void theHistoryShowsTheNewestThousandNewestFirstPerTaskAndFollowsTheFile() {
        TempFolder dir;
        RunLogFile log(dir.path());
        for (int i = 0; i < 1005; ++i) log.add(startOf(i % 5 ? "Often" : "Rare", i));
        frmHistory history(QString::fromStdString(dir.path()));
        history.show();
        QCOMPARE(history.grdEvents->rowCount(), frmHistory::MaxEvents);
        QCOMPARE(history.grdEvents->item(0, 0)->text(), QString("2026-12-07 09:30:44")); // event 1004
        QCOMPARE(history.cmbTask->count(), 3);                                           // all, Often, Rare
        history.setTaskFilter("Rare");
        QCOMPARE(history.grdEvents->rowCount(), 201);
        QCOMPARE(history.grdEvents->item(0, 0)->text(), QString("2026-12-07 09:30:40")); // event 1000
        log.add(startOf("Rare", 7));
        QTRY_COMPARE_WITH_TIMEOUT(history.grdEvents->rowCount(), 202, 5000);
        QCOMPARE(history.taskFilter(), QString("Rare"));
    }

    void startAtLoginCreatesAndRemovesTheAutostartEntry() {
        Rig rig;
        QVERIFY(!rig.start("").menus().MenuStartAtLogin->isEnabled()); // no service, no item

        TempFolder config;
        XdgAutostart autostart(config.file("autostart/wendrel.desktop"), "/opt/My Apps/50%/Wendrel");
        Services services = rig.services();
        services.loginStart = &autostart;
        Form1 form(rig.g, rig.dir.path(), services, Form1::Options{false, false});
        form.Form_Load();
        QVERIFY(!form.menus().MenuStartAtLogin->isChecked());
        form.menus().MenuStartAtLogin->trigger();
        QVERIFY(form.menus().MenuStartAtLogin->isChecked());
        const std::string entry = readAll(autostart.entryPath());
        QVERIFY(entry.find("\nExec=\"/opt/My Apps/50%%/Wendrel\"\n") != std::string::npos);
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (!validator.isEmpty())
            QCOMPARE(QProcess::execute(validator, {QString::fromStdString(autostart.entryPath())}), 0);
        form.menus().MenuStartAtLogin->trigger();
        QVERIFY(!form.menus().MenuStartAtLogin->isChecked());
        QVERIFY(!std::filesystem::exists(autostart.entryPath()));

        // The mark follows the entry made or removed outside the program.
        writeAll(autostart.entryPath(), entry);
        emit form.menus().OptionMenu->aboutToShow();
        QVERIFY(form.menus().MenuStartAtLogin->isChecked());
    }
};

QTEST_MAIN(RunHistoryTest)
#include "RunHistoryTest.moc"
