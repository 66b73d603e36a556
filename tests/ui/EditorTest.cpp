// The task editor and the task list commands, with the modal editor driven
// from inside its show.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "tests/ui/MainWindowRig.h"
#include "ui/editor/frmDetail.h"

using namespace wendrel;
using namespace wendrel::testing;

namespace {
struct EditorRig : Rig {
    frmDetail* e = nullptr;
    explicit EditorRig(int tasks) { // tasks named T1, T2, ...
        start(numberedTasks(tasks));
        form->grid().selectRow(0);
        e = form->editor();
    }
    // Runs act inside the editor's next modal show (act ends it); false if the
    // trigger did not show the editor.
    bool inEditor(const std::function<void()>& act, const std::function<void()>& trigger) {
        bool shown = false;
        QTimer::singleShot(0, e, [&] {
            if ((shown = e->isVisible())) act();
        });
        trigger();
        QCoreApplication::processEvents();
        return shown;
    }
    std::function<void()> save() {
        return [this] { e->cmdSave_Click(); };
    }
    std::function<void()> cancel() {
        return [this] { e->cmdCancel_Click(); };
    }
    QString cell(int row, int col) {
        auto* i = form->grid().table()->item(row, col);
        return i ? i->text().trimmed() : QString();
    }
    QStringList visible() {
        QStringList names;
        for (QWidget* w : e->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (!w->isHidden()) names << w->objectName();
        names.sort();
        return names;
    }
};
QString entries(QComboBox* c) {
    QStringList s;
    for (int i = 0; i < c->count(); ++i) s << c->itemText(i);
    return s.join(',');
}
} // namespace

class EditorTest : public QObject {
    Q_OBJECT
private slots:
    // Besides the fields every interval shows, each interval shows its own
    // (a task not loaded yet: those of Other).
    void theIntervalShowsExactlyItsFields_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<QStringList>("own");
        const QStringList time = {"lblTime", "cmbTimeHour", "cmbTimeMinute", "lblTime1"};
        QTest::newRow("none") << -1 << QStringList{"lblOther", "cmbOther", "cmbMSOption"};
        QTest::newRow("Hourly") << 0 << QStringList{"lblMinsPastHour", "cmbMinsPastHour"};
        QTest::newRow("Daily") << 1 << time;
        QTest::newRow("Weekly") << 2 << time + QStringList{"lblOther", "cmbDayofWeek"};
        QTest::newRow("Monthly") << 3 << time + QStringList{"lblDayofMonth", "cmbDayofMonth"};
        QTest::newRow("Yearly") << 4 << time + QStringList{"lblDate", "cmbDateMonth", "cmbDateDay"};
        QTest::newRow("Other") << 5 << QStringList{"lblOther", "cmbOther", "cmbMSOption"};
    }
    void theIntervalShowsExactlyItsFields() {
        QFETCH(int, interval);
        QFETCH(QStringList, own);
        EditorRig rig(1);
        rig.e->cmbInterval->setCurrentIndex(interval);
        QStringList expected =
            own + QStringList{"Label1",    "Label10",     "Label2",         "Label8",    "Label9",
                              "cmbActive", "cmbInterval", "cmbScriptFiles", "cmdCancel", "cmdEditScript",
                              "cmdSave",   "txtInput0",   "txtInput1"};
        expected.sort();
        QCOMPARE(rig.visible(), expected);
    }

    // Only the script box takes typed text; the others are choices.
    void listsOfferTheirEntries() {
        EditorRig rig(1);
        QCOMPARE(entries(rig.e->cmbDateDay).section(',', 9, 13), QString("10th,11th,12th,13th,14th"));
        for (QComboBox* c : rig.e->findChildren<QComboBox*>()) QCOMPARE(c->isEditable(), c == rig.e->cmbScriptFiles);
    }

    // A list that the interval hides is stored too; the task opens again as saved.
    void hiddenListsAreStoredAndTheTaskOpensAsSaved() {
        EditorRig rig(2);
        rig.form->grid().selectRow(1);
        QString before, after;
        QVERIFY(rig.inEditor(
            [&] {
                before = rig.e->cmdEditScript->text();
                rig.e->cmbScriptFiles->setEditText("s.wdx");
                rig.e->cmbInterval->setCurrentIndex(4); // Yearly, then Daily
                rig.e->cmbDateMonth->setCurrentIndex(7);
                rig.e->cmbInterval->setCurrentIndex(1);
                rig.e->cmdSave_Click();
            },
            [&] { rig.form->EditTask(); }));
        QCOMPARE(rig.g.slot(2).DateMonth, std::int16_t(7));
        QCOMPARE(rig.cell(1, 2), QString("Daily"));
        rig.inEditor(
            [&] {
                after = rig.e->cmdEditScript->text();
                rig.e->cmdCancel_Click();
            },
            [&] { rig.form->EditTask(); });
        QCOMPARE(before, QString("C&reate Script"));
        QCOMPARE(after, QString("&Edit Script"));
    }

    // The boxes show the texts without their blank fill, so text typed at
    // the end is kept (the record is still filled to its width).
    void textTypedAtTheEndOfANameIsKept() {
        EditorRig rig(1);
        QString shown;
        QVERIFY(rig.inEditor(
            [&] {
                shown = rig.e->txtInput[0]->text();
                rig.e->txtInput[0]->end(false);
                QTest::keyClicks(rig.e->txtInput[0], " daily");
                rig.e->cmdSave_Click();
            },
            [&] { rig.form->EditTask(); }));
        QCOMPARE(shown, QString("T1"));
        QCOMPARE(rig.g.slot(1).Name.str(), std::string("T1 daily            "));
        QCOMPARE(rig.e->txtInput[0]->toolTip(), QString()); // it fits its box
        rig.e->txtInput[1]->setText(QString(50, 'W'));      // one that does not names itself whole
        QCOMPARE(rig.e->txtInput[1]->toolTip(), QString(50, 'W'));
    }

    // Typing survives a visit to another window; only the main window's
    // showing (and the new-script dialog's closing) loads the task.
    void typedTextSurvivesAnotherWindowsActivation() {
        EditorRig rig(1);
        rig.form->show();
        rig.e->setModal(false); // a modal editor would keep the other window from activating
        rig.e->show();
        QVERIFY(QTest::qWaitForWindowActive(rig.e));
        rig.e->txtInput[0]->setText("Typed, not saved");
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        rig.e->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.e));
        QCOMPARE(rig.e->txtInput[0]->text(), QString("Typed, not saved"));
    }

    // The added row is current while the editor is open; Cancel or the frame's
    // close box take it away and make the row current that was before.
    void newThenCancelOrCloseTakesTheTaskAway() {
        EditorRig rig(6);
        rig.form->grid().selectRow(4);
        int current = -1;
        QVERIFY(rig.inEditor(
            [&] {
                current = rig.form->grid().row();
                rig.e->cmdCancel_Click();
            },
            [&] { rig.form->findChild<QPushButton*>("cmdNewTask")->click(); }));
        QCOMPARE(current, 6);
        QCOMPARE(rig.form->grid().rows(), 6);
        QCOMPARE(rig.form->grid().row(), 4);
        QVERIFY(rig.inEditor([&] { rig.e->close(); }, [&] { rig.form->menus().MenuNew->trigger(); }));
        QCOMPARE(rig.form->grid().rows(), 6);
    }

    // In a scrolled list the rows shown stay as they were.
    void aCancelledNewKeepsTheScrolledListWhereItWas() {
        EditorRig rig(40);
        rig.form->show();
        rig.form->grid().setTopRow(20);
        rig.form->grid().selectRow(24);
        QVERIFY(rig.inEditor(rig.cancel(), [&] { rig.form->NewTask(); }));
        QCOMPARE(rig.form->grid().topRow(), 20);
        QCOMPARE(rig.form->grid().row(), 24);
    }

    // An empty list is back to one row without a task.
    void aCancelledFirstTaskLeavesOneBlankRow() {
        EditorRig rig(0);
        QVERIFY(rig.inEditor(rig.cancel(), [&] { rig.form->NewTask(); }));
        QCOMPARE(rig.form->grid().rows(), 1);
        for (int c = 0; c < 5; ++c) QCOMPARE(rig.cell(0, c), QString());
    }

    void newThenSaveAndTheTwoHundredTaskLimit() {
        EditorRig rig(199);
        QVERIFY(rig.inEditor(rig.save(), [&] { rig.form->NewTask(); }));
        QCOMPARE(rig.g.slot(200).Name.str(), std::string(20, ' '));
        QCOMPARE(int(rig.g.NewTaskPending), 0);
        QCOMPARE(rig.form->grid().row(), 199);
        QVERIFY(!rig.inEditor(rig.cancel(), [&] { rig.form->NewTask(); })); // full: no editor
    }

    void deleteAsksAndKeepsASensibleRowCurrent() {
        EditorRig rig(5);
        rig.form->grid().selectRow(2);
        rig.messages.answers = {MsgAnswer::No};
        rig.form->findChild<QPushButton*>("cmdDelete")->click();
        QCOMPARE(int(rig.g.TaskCount), 5);
        const ShownMessage& q = rig.messages.shown.at(0);
        QCOMPARE(q.text, std::string("Are you sure you wish to delete T3?"));
        QCOMPARE(q.caption, std::string("Delete Task"));
        QVERIFY(q.buttons == MsgButtons::YesNo);
        rig.form->menus().MenuDelete->trigger();
        QCOMPARE(rig.cell(2, 0), QString("T4"));
        QCOMPARE(rig.form->grid().rows(), 4);
        QCOMPARE(rig.form->grid().row(), 2);
        for (int i = 0; i < 4; ++i) rig.form->DeleteTask();
        QCOMPARE(int(rig.g.TaskCount), 0);
        QCOMPARE(rig.form->grid().rows(), 1);
        QCOMPARE(rig.cell(0, 0), QString());

        const std::size_t asked = rig.messages.shown.size(); // empty list: no question, no edit, no toggle
        rig.form->DeleteTask();
        rig.form->ToggleActive();
        QVERIFY(!rig.inEditor(rig.save(), [&] { rig.form->EditTask(); }));
        QCOMPARE(rig.messages.shown.size(), asked);
    }

    void doubleClickAndEnterInTheGrid() {
        EditorRig rig(3);
        rig.form->show();
        rig.form->grid().selectRow(1);
        rig.form->setPanelText(2, "Double click to change the Active state.");
        QVERIFY(!rig.inEditor(rig.cancel(), [&] { rig.form->Grid1_dblclick(); }));
        QCOMPARE(rig.cell(1, 4), QString("No"));
        rig.form->Grid1_dblclick();
        QCOMPARE(int(rig.g.slot(2).Active), 1);
        rig.form->setPanelText(2, "double"); // case-sensitive
        QVERIFY(rig.inEditor(rig.cancel(), [&] { rig.form->Grid1_dblclick(); }));
        QString name;
        rig.form->grid().selectRow(2);
        QVERIFY(rig.inEditor(
            [&] {
                name = rig.e->txtInput[0]->text();
                rig.e->cmdCancel_Click();
            },
            [&] { QTest::keyClick(rig.form->grid().table(), Qt::Key_Return); }));
        QCOMPARE(name, QString("T3"));
        QCOMPARE(rig.form->grid().row(), 2);
        QCOMPARE(rig.form->grid().col(), 5);
    }

    void scriptListShowsTheFolderScriptsOnly() {
        EditorRig rig(1);
        for (const char* leaf : {"a.wdx", "b.wdx", "notes.txt", ".hidden.wdx"}) writeAll(rig.dir.file(leaf), "x");
        rig.e->cmbScriptFiles->setEditText("typed"); // box text and position survive a refill
        int found = -7;
        rig.e->FillScriptList("b.wdx", found);
        const QString names = entries(rig.e->cmbScriptFiles);
        QVERIFY(names == "a.wdx,b.wdx" || names == "b.wdx,a.wdx");
        QCOMPARE(found, names.startsWith('b') ? 0 : 1);
        QCOMPARE(rig.e->cmbScriptFiles->currentText(), QString("typed"));
        QCOMPARE(rig.e->cmbScriptFiles->currentIndex(), -1);
        found = -7;
        rig.e->FillScriptList("B.WDX", found);
        rig.e->FillScriptList("c.wdx", found);
        QCOMPARE(found, -7);
        rig.e->cmdEditScript->setText("C&reate Script");
        rig.e->cmbScriptFiles->setCurrentIndex(0); // picking an entry
        QCOMPARE(rig.e->cmdEditScript->text(), QString("&Edit Script"));
        rig.e->cmbScriptFiles->setEditText(""); // clearing alone changes nothing
        QCOMPARE(rig.e->cmdEditScript->text(), QString("&Edit Script"));
    }
};

QTEST_MAIN(EditorTest)
#include "EditorTest.moc"
