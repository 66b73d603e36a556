// The status hints, the Help menu's windows and the two ways out of the
// program through the menus.
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QtTest>

#include "tests/ui/MainWindowRig.h"
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
    // A move over the window's free area (the client area between the controls).
    void theSummaryCountsTasksAndActiveOnes_data() {
        QTest::addColumn<QString>("tasks");
        QTest::addColumn<QString>("summary");
        QTest::newRow("one") << QString::fromStdString(taskLine("One"))
                             << "1 Tasks listed, 1 of which is currently active.";
        QTest::newRow("three") << QString::fromStdString(taskLine("A") + taskLine("B", 0) + taskLine("C"))
                               << "3 Tasks listed, 2 of which are currently active.";
    }
    void theSummaryCountsTasksAndActiveOnes() {
        QFETCH(QString, tasks);
        Rig rig;
        Form1& form = rig.start(tasks.toStdString());
        moveOver(form.centralWidget());
        QTEST(form.hintText(), "summary");
    }

    void buttonHintsNameTheCurrentTaskWithoutTrailingBlanks() {
        Rig rig;
        Form1& form = rig.start(taskLine("First") + taskLine("Big backup  "));
        form.grid().selectRow(1);
        moveOver(form.findChild<QPushButton*>("cmdDelete"));
        QCOMPARE(form.hintText(), QString("Delete task Big backup from the task list permanently."));
        const QString edit = "Review task Big backup's properties, eg. Interval, start time etc.";
        moveOver(form.findChild<QPushButton*>("cmdEditTask"));
        QCOMPARE(form.hintText(), edit);
        moveOver(form.findChild<QLabel*>("Label1")); // labels write no hint
        QCOMPARE(form.hintText(), edit);
    }

    // An empty table has no current task: the name is empty.
    void anEmptyListsHintsNameNoTask() {
        Rig rig;
        Form1& form = rig.start("");
        moveOver(form.findChild<QPushButton*>("cmdDelete"));
        QCOMPARE(form.hintText(), QString("Delete task  from the task list permanently."));
    }

    // About is not modal, opens once however often it is asked for, shows the
    // program's folder, and OK unloads it (so it opens again afresh).
    void aboutIsNotModalIsOpenedOnceAndOkUnloadsIt() {
        Rig rig;
        Form1& form = rig.start("");
        for (int round = 0; round < 2; ++round) {
            form.menus().AboutOption->trigger();
            form.AboutOption_Click();
            QCOMPARE(form.findChildren<frmAbout*>().size(), qsizetype(1));
            QPointer<frmAbout> about = form.findChild<frmAbout*>("frmAbout");
            QVERIFY(about->isVisible());
            QVERIFY(!about->isModal());
            QCOMPARE(about->lblFolder->text(), "Folder: " + QString::fromStdString(rig.dir.path()));
            about->cmdOK->click();
            QTRY_VERIFY(about.isNull());
        }
    }

    // Help shows the program's own document and folder, in one window.
    void helpOpensTheProgramsOwnDocumentOnce() {
        Rig rig;
        Form1& form = rig.start("");
        form.menus().MenuContents->trigger();
        form.MenuContents_Click();
        QCOMPARE(form.findChildren<frmHelp*>().size(), qsizetype(1));
        auto* help = form.findChild<frmHelp*>("frmHelp");
        QVERIFY(help->isVisible());
        QVERIFY(help->txtHelp->toPlainText().contains("Scripts.dat"));
        QVERIFY(help->lblFolder->text().endsWith(QString::fromStdString(rig.dir.path())));
    }

    // File > Exit and the tray menu's Exit (from standby) end the program the
    // same way; the tray one also takes the icon away.
    void exitFromFileAndFromTheTrayWriteTheSameBytes() {
        const std::string tasks = taskLine("A") + taskLine("B", 0);
        Rig viaFile, viaTray;
        Form1& f1 = viaFile.start(tasks, " 1 \r\n 1 \r\n", false);
        Form1& f2 = viaTray.start(tasks, " 1 \r\n 1 \r\n");
        QVERIFY(f2.tray()->inStandby());
        QSignalSpy spy1(&f1, &Form1::unloaded), spy2(&f2, &Form1::unloaded);
        writeAll(viaTray.dir.file("Scripts.dat"), ""); // proves the exit writes it
        f1.menus().MenuExit->trigger();
        f2.menus().trayExit->trigger();
        QCOMPARE(spy1.count(), 1);
        QCOMPARE(spy2.count(), 1);
        QVERIFY(!f1.isVisible());
        QVERIFY(!f2.tray()->iconShown());
        const std::string dat = readAll(viaFile.dir.file("Scripts.dat"));
        QVERIFY(dat.rfind("A                   ~", 0) == 0); // widened to the fixed format
        QCOMPARE(readAll(viaTray.dir.file("Scripts.dat")), dat);
        QCOMPARE(readAll(viaFile.dir.file("Scripts.ini")), std::string(" 1 \r\n 1 \r\n"));
        // A second close writes nothing more.
        writeAll(viaFile.dir.file("Scripts.dat"), "x");
        f1.close();
        QCOMPARE(readAll(viaFile.dir.file("Scripts.dat")), std::string("x"));
    }
};

QTEST_MAIN(HintsMenusTest)
#include "HintsMenusTest.moc"
