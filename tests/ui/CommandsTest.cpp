// New, Edit, Delete and toggle Active on the main window, with the editor
// driven from inside its modal show.
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"
#include "ui/editor/frmDetail.h"
#include "ui/main/Form1.h"

using namespace wendrel;

namespace {
struct Rig {
    TempFolder dir;
    FakeClock clock;
    FakePump pump{clock};
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeActivator activator;
    FakeKeys keys;
    General g;
    std::unique_ptr<Form1> form;

    // A window on an empty folder, then `tasks` tasks named T1, T2, ...
    Form1& start(int tasks) {
        Services s;
        s.messages = &messages; s.launcher = &launcher; s.activator = &activator;
        s.keys = &keys; s.pump = &pump; s.clock = &clock;
        form = std::make_unique<Form1>(g, dir.path(), s, Form1::Options{false, false});
        form->Form_Load();
        for (int i = 1; i <= tasks; ++i) g.slot(g.append()).Name = "T" + std::to_string(i);
        if (tasks > 0) { form->setGridRows(tasks); form->FillGridRow(0); }
        form->selectRow(0);
        return *form;
    }
    // Runs act inside the editor's next modal show; act ends it with Save or Cancel.
    // Returns whether the editor was shown at all.
    bool inEditor(const std::function<void(frmDetail&)>& act, const std::function<void()>& trigger) {
        bool shown = false;
        QTimer::singleShot(0, form.get(), [&] {
            frmDetail* e = form->editor();
            if (!e->isVisible()) return;
            shown = true;
            act(*e);
        });
        trigger();
        QCoreApplication::processEvents();
        return shown;
    }
    QString cell(int row, int col) { auto* i = form->Grid1->item(row, col); return i ? i->text() : QString(); }
};
void cancel(frmDetail& e) { e.cmdCancel_Click(); }
void save(frmDetail& e) { e.cmdSave_Click(); }
} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void newThenCancelRestoresTheListAndRow() {
        Rig rig; Form1& f = rig.start(6);
        f.selectRow(4);
        QVERIFY(rig.inEditor([&](frmDetail& e) {
            QCOMPARE(int(rig.g.TaskCount), 7);
            QCOMPARE(f.gridRow(), 6);
            QCOMPARE(int(rig.g.NewTaskPending), 1);
            e.txtInput[0]->setText("typed");
            cancel(e);
        }, [&] { f.cmdNewTask->click(); }));
        QCOMPARE(int(rig.g.TaskCount), 6);
        QVERIFY(rig.g.slot(7) == rig.g.slot(General::BlankSlot));
        QCOMPARE(f.gridRows(), 6);
        QCOMPARE(f.gridRow(), 4);
        QCOMPARE(int(rig.g.NewTaskPending), 0);
    }

    void newThenSaveStoresTheBlankTask() {
        Rig rig; Form1& f = rig.start(2);
        QVERIFY(rig.inEditor(save, [&] { f.MenuNew->trigger(); }));
        QCOMPARE(int(rig.g.TaskCount), 3);
        const TaskRecord& r = rig.g.slot(3);
        QCOMPARE(r.Name.str(), std::string(20, ' '));
        QCOMPARE(r.ScriptFile.str(), std::string(25, ' '));
        QCOMPARE(int(r.Interval), 0);
        QCOMPARE(int(r.Active), 0);
        QCOMPARE(int(rig.g.NewTaskPending), 0);
        QCOMPARE(f.gridRow(), 2);
        QCOMPARE(rig.cell(2, 2), QString("Hourly"));
    }

    void theTwoHundredthTaskIsTheLast() {
        Rig rig; Form1& f = rig.start(199);
        QVERIFY(rig.inEditor(save, [&] { f.NewTask(); }));
        QCOMPARE(int(rig.g.TaskCount), 200);
        f.selectRow(10);
        QVERIFY(!rig.inEditor(cancel, [&] { f.NewTask(); }));
        QCOMPARE(int(rig.g.TaskCount), 200);
        QCOMPARE(int(rig.g.NewTaskPending), 0);
        QCOMPARE(int(rig.g.TaskBeforeNew), 11);
        QVERIFY(rig.messages.shown.empty());
        QVERIFY(rig.inEditor(cancel, [&] { f.EditTask(); }));
        QCOMPARE(int(rig.g.TaskCount), 200);
    }

    void deleteAsksAndKeepsASensibleRowCurrent() {
        Rig rig; Form1& f = rig.start(5);
        f.selectRow(2);
        rig.messages.answers = {MsgAnswer::No};
        f.cmdDelete->click();
        QCOMPARE(int(rig.g.TaskCount), 5);
        QCOMPARE(rig.messages.shown.at(0).text, std::string("Are you sure you wish to delete T3?"));
        QCOMPARE(rig.messages.shown.at(0).caption, std::string("Delete Task"));
        QVERIFY(rig.messages.shown.at(0).buttons == MsgButtons::YesNo);
        QVERIFY(rig.messages.shown.at(0).icon == MsgIcon::None);

        f.MenuDelete->trigger();   // middle row: the next task moves up into it
        QCOMPARE(int(rig.g.TaskCount), 4);
        QCOMPARE(rig.g.slot(3).Name.trimmed(), std::string("T4"));
        QVERIFY(rig.g.slot(5) == rig.g.slot(General::BlankSlot));
        QCOMPARE(f.gridRows(), 4);
        QCOMPARE(f.gridRow(), 2);
        QCOMPARE(rig.cell(2, 0).trimmed(), QString("T4"));

        f.selectRow(3);            // last row: the one before becomes current
        f.DeleteTask();
        QCOMPARE(f.gridRow(), 2);
        QCOMPARE(f.gridRows(), 3);

        for (int i = 0; i < 3; ++i) f.DeleteTask();   // down to an empty list
        QCOMPARE(int(rig.g.TaskCount), 0);
        QCOMPARE(f.gridRows(), 1);
        QCOMPARE(f.gridRow(), 0);
        QCOMPARE(rig.cell(0, 0), QString());
        QCOMPARE(rig.cell(0, 2), QString());
    }

    void anEmptyListRefusesDeleteEditAndToggle() {
        Rig rig; Form1& f = rig.start(0);
        f.DeleteTask();
        QVERIFY(rig.messages.shown.empty());
        f.ToggleActive();
        QVERIFY(!rig.inEditor(save, [&] { f.EditTask(); }));
        QVERIFY(rig.g.slot(1) == rig.g.slot(General::BlankSlot));
        QCOMPARE(int(rig.g.TaskCount), 0);
    }

    void cancellingTheOnlyNewTaskLeavesOneEmptyRow() {
        Rig rig; Form1& f = rig.start(0);
        QVERIFY(rig.inEditor(cancel, [&] { f.NewTask(); }));
        QCOMPARE(int(rig.g.TaskCount), 0);
        QCOMPARE(f.gridRows(), 1);
        for (int c = 0; c < 5; ++c) QCOMPARE(rig.cell(0, c), QString());
    }

    void doubleClickTogglesOverActiveAndEditsElsewhere() {
        Rig rig; Form1& f = rig.start(3);
        f.selectRow(1);
        f.setPanelText(2, "Double click to change the Active state.");
        QVERIFY(!rig.inEditor(cancel, [&] { f.Grid1_dblclick(); }));
        QCOMPARE(int(rig.g.slot(2).Active), 1);
        QCOMPARE(rig.cell(1, 4), QString("Yes"));
        f.Grid1_dblclick();
        QCOMPARE(int(rig.g.slot(2).Active), 0);
        f.setPanelText(2, "double");   // the test is case-sensitive
        QVERIFY(rig.inEditor(cancel, [&] { f.Grid1_dblclick(); }));
        QCOMPARE(int(rig.g.slot(2).Active), 0);
    }

    void enterInTheGridOpensTheEditorOnTheCurrentRow() {
        Rig rig; Form1& f = rig.start(3);
        f.show();
        f.selectRow(2);
        QString name;
        QVERIFY(rig.inEditor([&](frmDetail& e) { name = e.txtInput[0]->text(); cancel(e); },
                             [&] { QTest::keyClick(f.Grid1, Qt::Key_Return); }));
        QCOMPARE(name.trimmed(), QString("T3"));
        QCOMPARE(f.gridRow(), 2);
        QCOMPARE(f.gridCol(), 5);
    }
};

QTEST_MAIN(CommandsTest)
#include "CommandsTest.moc"
