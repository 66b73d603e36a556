// The status hints, the Help menu's windows and the two ways out of the
// program through the menus.
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QtTest>

#include "tests/ui/TrayTestRig.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmHelp.h"

using namespace wendrel;
using namespace wendrel::testing;

namespace {
void moveOver(QWidget* w) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
}
} // namespace

class HintsMenusTest : public QObject {
    Q_OBJECT

private slots:
    void theSummaryCountsTasksAndActiveOnes() {
        struct Case {
            std::string tasks;
            QString summary;
        } cases[] = {
            {"", "0 Tasks listed, 0 of which are currently active."},
            {taskLine("One", 1), "1 Tasks listed, 1 of which is currently active."},
            {taskLine("A", 1) + "\r\n" + taskLine("B", 0) + "\r\n" + taskLine("C", 1),
             "3 Tasks listed, 2 of which are currently active."},
        };
        for (const Case& c : cases) {
            Rig rig;
            Form1& form = rig.start(c.tasks);
            // A move over the window's free area (the client area between the controls).
            moveOver(form.centralWidget());
            QCOMPARE(form.hintText(), c.summary);
        }
    }

    void buttonHintsNameTheCurrentTaskWithoutTrailingBlanks() {
        Rig rig;
        Form1& form = rig.start(taskLine("First", 1) + "\r\n" + taskLine("Big backup  ", 1));
        form.selectRow(1);
        moveOver(form.cmdDelete);
        QCOMPARE(form.hintText(), QString("Delete task Big backup from the task list permanently."));
        moveOver(form.cmdEditTask);
        QCOMPARE(form.hintText(), QString("Review task Big backup's properties, eg. Interval, start time etc."));
        moveOver(form.cmdNewTask);
        QCOMPARE(form.hintText(), QString("Add a new task to the end of the task list."));
        moveOver(form.cmdSendtoTray);
        QCOMPARE(form.hintText(), QString("Send Wendrel to the system tray where it will continue to process tasks."));
        // Labels write no hint.
        moveOver(form.Label1);
        QCOMPARE(form.hintText(), QString("Send Wendrel to the system tray where it will continue to process tasks."));

        // An empty table has no current task: the name is empty.
        Rig empty;
        Form1& blank = empty.start("");
        moveOver(blank.cmdDelete);
        QCOMPARE(blank.hintText(), QString("Delete task  from the task list permanently."));
    }

    void aboutIsNotModalShowsItsTextsAndOkUnloadsIt() {
        Rig rig;
        Form1& form = rig.start("");
        for (int round = 0; round < 2; ++round) {
            form.AboutOption->trigger();
            auto* about = form.findChild<frmAbout*>("frmAbout");
            QVERIFY(about);
            QVERIFY(about->isVisible());
            QVERIFY(!about->isModal());
            QCOMPARE(about->windowTitle(), QString("About Wendrel 1.00"));
            QCOMPARE(about->lblTitle->text(), QString("Wendrel Version 1.00"));
            QCOMPARE(about->findChildren<QFrame*>("Line1").size(), qsizetype(2));
            QCOMPARE(about->cmdOK->text(), QString("OK"));
            // A second About while open brings the same window forward.
            form.AboutOption_Click();
            QCOMPARE(form.findChildren<frmAbout*>().size(), qsizetype(1));
            QPointer<frmAbout> watch(about);
            about->cmdOK->click();
            QTRY_VERIFY(watch.isNull());
        }
    }

    void helpOpensTheProgramsOwnDocument() {
        Rig rig;
        Form1& form = rig.start("");
        form.MenuContents->trigger();
        auto* help = form.findChild<frmHelp*>("frmHelp");
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->windowTitle(), QString("Wendrel Help"));
        const QString text = help->txtHelp->toPlainText();
        for (const char* topic : {"Hourly", "Other", "EXECUTE", "MSGBOX", "SLEEP", "{ENTER}", "Scripts.dat",
                                  "Scripts.ini", "Minimize on Startup", "Minimize to system tray"})
            QVERIFY2(text.contains(topic), topic);
        form.MenuContents_Click();
        QCOMPARE(form.findChildren<frmHelp*>().size(), qsizetype(1));
    }

    void exitFromFileAndFromTheTrayWriteTheSameBytes() {
        const std::string tasks = taskLine("A", 1) + "\r\n" + taskLine("B", 0) + "\r\n";
        Rig viaFile, viaTray;
        Form1& f1 = viaFile.start(tasks, " 1 \r\n 0 \r\n");
        Form1& f2 = viaTray.start(tasks, " 1 \r\n 0 \r\n");
        QSignalSpy spy1(&f1, &Form1::unloaded), spy2(&f2, &Form1::unloaded);
        f1.MenuExit->trigger();
        f2.trayExit->trigger();
        QCOMPARE(spy1.count(), 1);
        QCOMPARE(spy2.count(), 1);
        QVERIFY(!f1.isVisible() && !f2.isVisible());
        const std::string dat = readAll(viaFile.dir.file("Scripts.dat"));
        QVERIFY(dat.size() > tasks.size());   // widened to the fixed format
        QCOMPARE(readAll(viaTray.dir.file("Scripts.dat")), dat);
        QCOMPARE(readAll(viaTray.dir.file("Scripts.ini")), readAll(viaFile.dir.file("Scripts.ini")));
        // A second close writes nothing more.
        writeAll(viaFile.dir.file("Scripts.dat"), "x");
        f1.close();
        QCOMPARE(readAll(viaFile.dir.file("Scripts.dat")), std::string("x"));
    }
};

QTEST_MAIN(HintsMenusTest)
#include "HintsMenusTest.moc"
