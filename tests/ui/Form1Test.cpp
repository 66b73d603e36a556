// The main window on a temporary program folder: start-up, grid, status bar
// and what it says when its files cannot be written.
#include <QHeaderView>
#include <QTableWidget>
#include <QtTest>

#include "tests/ui/MainWindowRig.h"

using namespace wendrel;
using namespace wendrel::testing;

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void emptyFolderStartsWithOneEmptyRowAndCreatesTheFiles() {
        Rig rig;
        Form1& form = rig.open(rig.dir.path());
        QCOMPARE(form.Grid1->rowCount(), 1);
        QCOMPARE(form.Grid1->columnCount(), 6);
        QCOMPARE(form.gridRow() * 10 + form.gridCol(), 5);
        QVERIFY(form.Grid1->horizontalHeader()->isHidden());
        QCOMPARE(form.hintText(), QString("Wendrel."));
        QVERIFY(!form.panelText(1).isEmpty());
        QCOMPARE(readAll(rig.dir.file("Scripts.ini")), std::string(" 0 \r\n 0 \r\n"));
        QVERIFY(QFile::exists(QString::fromStdString(rig.dir.file("Scripts.dat"))));
    }

    void tasksFillTheGrid() {
        Rig rig;
        Form1& form = rig.start(taskLine("Backup") + "Poll~~5~0~0~0~0~0~0~0~5~1~0~poll.wdx\r\n" + taskLine("Third"));
        QCOMPARE(form.Grid1->rowCount(), 3);
        QCOMPARE(form.Grid1->item(0, 0)->text(), QString("Backup              "));
        QCOMPARE(form.Grid1->item(0, 2)->text() + form.Grid1->item(0, 4)->text(), QString("DailyYes"));
        QCOMPARE(form.Grid1->item(1, 2)->text() + form.Grid1->item(1, 4)->text(), QString("OtherNo"));
        QCOMPARE(form.gridRow(), 0);
        // FillGridRow(0) rewrites every row and leaves the last one current, column 4.
        form.FillGridRow(0);
        QCOMPARE(form.gridRow() * 10 + form.gridCol(), 24);
    }

    void anUnusableFolderStillStartsAndSaysWhatCouldNotBeSaved() {
        Rig rig;
        Form1& form = rig.open(rig.dir.file("no-such-folder"));
        QCOMPARE(rig.g.TaskCount, 0);
        form.close();
        QCOMPARE(form.saveProblems().size(), size_t(2));
        QCOMPARE(rig.messages.shown.size(), size_t(1));
        QVERIFY(QString::fromStdString(rig.messages.shown[0].text).contains("Scripts.dat"));
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
