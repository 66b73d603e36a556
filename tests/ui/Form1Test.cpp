// The main window on a temporary program folder: start-up, grid, status bar
// and the files written when it closes.
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>
#include <fstream>

#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"
#include "ui/main/Form1.h"

using namespace wendrel;

namespace {
std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
} // namespace

class Form1Test : public QObject {
    Q_OBJECT

    struct Rig {
        FakeClock clock;
        FakePump pump{clock};
        FakeMessageBoxes messages;
        FakeLauncher launcher;
        FakeActivator activator;
        FakeKeys keys;
        General g;
        Services services() {
            Services s;
            s.messages = &messages;
            s.launcher = &launcher;
            s.activator = &activator;
            s.keys = &keys;
            s.pump = &pump;
            s.clock = &clock;
            return s;
        }
    };

private slots:
    void emptyFolderStartsWithOneEmptyRowAndCreatesTheFiles() {
        TempFolder dir;
        Rig rig;
        Form1 form(rig.g, dir.path(), rig.services(), Form1::Options{false, false});
        form.Form_Load();
        QCOMPARE(form.windowTitle(), QString("Wendrel V1.00"));
        QCOMPARE(form.Grid1->rowCount(), 1);
        QCOMPARE(form.Grid1->columnCount(), 6);
        QCOMPARE(form.gridRow(), 0);
        QCOMPARE(form.gridCol(), 5);
        QVERIFY(form.Grid1->horizontalHeader()->isHidden());
        QCOMPARE(form.hintText(), QString("Wendrel."));
        QVERIFY(!form.panelText(1).isEmpty());
        QCOMPARE(readAll(dir.file("Scripts.ini")), std::string(" 0 \r\n 0 \r\n"));
        QVERIFY(QFile::exists(QString::fromStdString(dir.file("Scripts.dat"))));
        QCOMPARE(form.findChild<QLabel*>("Label1")->text(), QString("Task Name"));
        QCOMPARE(form.findChild<QPushButton*>("cmdSendtoTray")->text(), QString("&Standby"));
        QStringList menus;
        for (QAction* a : form.menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, QStringList({"File", "Options", "Help"}));
    }

    void tasksFillTheGridAndAreWrittenBackAtClose() {
        TempFolder dir;
        const std::string line1 = "Backup              ~Nightly copy                                      "
                                  "~1~0~0~2~30~0~0~0~0~0~1~backup.wdx               ";
        const std::string line2 = "Poll~~5~0~0~0~0~0~0~0~5~1~0~poll.wdx";
        const std::string line3 = "Third~c~0~0~0~0~0~0~0~15~0~0~1~t.wdx";
        writeAll(dir.file("Scripts.dat"), line1 + "\r\n" + line2 + "\r\n" + line3);
        writeAll(dir.file("Scripts.ini"), " 0 \r\n 1 \r\n");
        Rig rig;
        {
            Form1 form(rig.g, dir.path(), rig.services(), Form1::Options{false, false});
            form.Form_Load();
            QCOMPARE(form.Grid1->rowCount(), 3);
            QCOMPARE(form.Grid1->item(0, 0)->text(), QString("Backup              "));
            QCOMPARE(form.Grid1->item(0, 2)->text(), QString("Daily"));
            QCOMPARE(form.Grid1->item(0, 4)->text(), QString("Yes"));
            QCOMPARE(form.Grid1->item(1, 2)->text(), QString("Other"));
            QCOMPARE(form.Grid1->item(1, 4)->text(), QString("No"));
            QCOMPARE(form.gridRow(), 0);
            QVERIFY(!form.MenuMinimize->isChecked());
            QVERIFY(form.MenuTray->isChecked());

            // FillGridRow(0) rewrites every row and leaves the last one current, column 4.
            form.FillGridRow(0);
            QCOMPARE(form.gridRow(), 2);
            QCOMPARE(form.gridCol(), 4);
            form.close();
        }
        const std::string written = readAll(dir.file("Scripts.dat"));
        QCOMPARE(written.substr(0, 122), line1 + "\r\n");
        QCOMPARE(std::count(written.begin(), written.end(), '\n'), 3L);
        QCOMPARE(readAll(dir.file("Scripts.ini")), std::string(" 0 \r\n 1 \r\n"));
    }

    void anUnusableFolderStillStartsAndSaysWhatCouldNotBeSaved() {
        TempFolder dir;
        Rig rig;
        Form1 form(rig.g, dir.file("no-such-folder"), rig.services(), Form1::Options{false, false});
        form.Form_Load();
        QCOMPARE(rig.g.TaskCount, 0);
        form.close();
        QCOMPARE(form.saveProblems().size(), size_t(2));
        QCOMPARE(rig.messages.shown.size(), size_t(1));
        QVERIFY(QString::fromStdString(rig.messages.shown[0].text).contains("Scripts.dat"));
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
