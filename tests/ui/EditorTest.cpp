// The task editor and the task list commands, with the modal editor driven
// from inside its show; creating a script file from the editor, the create
// dialog answered by the test while it is modal.

#include "tests/ui/MainWindowRig.h"
#include "ui/editor/frmAskFileName.h"

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
    QStringList visibleFor(int interval) {
        e->cmbInterval->setCurrentIndex(interval);
        QStringList names;
        for (QWidget* w : e->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (!w->isHidden()) names << w->objectName();
        names.sort();
        return names;
    }
};
struct ScriptRig : EditorRig {
    ScriptRig() : EditorRig(1) { e->show(); }

    // Presses the script button with an empty box; the dialog gets typed
    // names in turn (each followed by Create File) until it has closed.
    void create(QStringList typed) {
        e->cmbScriptFiles->setEditText(QString());
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, e, [&] {
            frmAskFileName* ask = e->askFileName();
            if (!ask->isVisible()) return;
            if (typed.isEmpty()) {
                ask->cmdCancel->click();
            } else {
                ask->txtNewScriptName->setText(typed.takeFirst());
                ask->cmdCreate->click();
            }
        });
        answer.start(0);
        e->cmdEditScript_Click();
    }
    std::string header(const std::string& name) {
        QLocale l = QLocale::system();
        return "' " + name + " created on " + l.toString(QDate(2026, 12, 6), QLocale::ShortFormat).toStdString() +
               " at " + l.toString(QTime(9, 30, 0), QLocale::LongFormat).toStdString() + "\r\n";
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
    // Besides the fields every interval shows, each interval shows the
    // controls of its own fields.
    void theIntervalShowsItsOwnFields_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<QStringList>("own");
        const QStringList time = {"lblTime", "cmbTimeHour", "cmbTimeMinute", "lblTime1"};
        QTest::newRow("Hourly") << 0 << QStringList{"lblMinsPastHour", "cmbMinsPastHour"};
        QTest::newRow("Daily") << 1 << time;
        QTest::newRow("Weekly") << 2 << time + QStringList{"lblOther", "cmbDayofWeek"};
        QTest::newRow("Monthly") << 3 << time + QStringList{"lblDayofMonth", "cmbDayofMonth"};
        QTest::newRow("Yearly") << 4 << time + QStringList{"lblDate", "cmbDateMonth", "cmbDateDay"};
        QTest::newRow("Other") << 5 << QStringList{"lblOther", "cmbOther", "cmbMSOption"};
    }
    void theIntervalShowsItsOwnFields() {
        QFETCH(int, interval);
        QFETCH(QStringList, own);
        EditorRig rig(1);
        QStringList always = rig.visibleFor(-1);
        for (int other = 0; other < 6; ++other) {
            const QStringList shown = rig.visibleFor(other);
            always.removeIf([&](const QString& name) { return !shown.contains(name); });
        }
        QStringList shown = rig.visibleFor(interval);
        shown.removeIf([&](const QString& name) { return always.contains(name); });
        own.sort();
        QCOMPARE(shown, own);
    }

    // Only the script box takes typed text; the others are choices.
    void listsOfferTheirEntries() {
        EditorRig rig(1);
        QCOMPARE(entries(rig.e->cmbDateDay).section(',', 9, 13), QString("10th,11th,12th,13th,14th"));
        for (QComboBox* c : rig.e->findChildren<QComboBox*>()) QCOMPARE(c->isEditable(), c == rig.e->cmbScriptFiles);
    }

    // The boxes show the texts without their blank fill, so text typed at the
    // end is kept; a list that the interval hides is stored too; the task
    // opens again as saved.
    void saveStoresWhatTheEditorHoldsAndTheTaskOpensAsSaved() {
        EditorRig rig(2);
        rig.form->grid().selectRow(1);
        QString before, after;
        QVERIFY(rig.inEditor([&] {
            before = rig.e->cmdEditScript->text();
            rig.e->txtInput[0]->end(false);
            QTest::keyClicks(rig.e->txtInput[0], " daily");
            rig.e->cmbScriptFiles->setEditText("s.wdx");
            rig.e->cmbInterval->setCurrentIndex(4); // Yearly, then Daily
            rig.e->cmbDateMonth->setCurrentIndex(7);
            rig.e->cmbInterval->setCurrentIndex(1);
            rig.e->cmdSave_Click();
        }));
        QCOMPARE(before, QString("C&reate Script"));
        QCOMPARE(rig.g().slot(2).Name.trimmed(), std::string("T2 daily"));
        QCOMPARE(rig.g().slot(2).DateMonth, std::int16_t(7));
        QCOMPARE(rig.cell(1, 2), QString("Daily"));
        QVERIFY(rig.inEditor([&] {
            after = rig.e->cmdEditScript->text();
            rig.e->cmdCancel_Click();
        }));
        QCOMPARE(after, QString("&Edit Script"));
        // Only a text too long for its box names itself whole in the tooltip.
        QCOMPARE(rig.e->txtInput[0]->toolTip(), QString());
        rig.e->txtInput[1]->setText(QString(50, 'W'));
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

    // The added row is current while the editor is open; Cancel or the
    // frame's close box take it away and leave the scrolled list and its
    // current row as they were; Save keeps it. A full list opens no editor.
    void newAddsARowThatCancelTakesAway() {
        EditorRig rig(40);
        QVERIFY(rig.show());
        rig.form->grid().setTopRow(20);
        rig.form->grid().selectRow(24);
        int current = -1;
        QVERIFY(rig.inEditor(
            [&] {
                current = rig.form->grid().row();
                rig.e->cmdCancel_Click();
            },
            [&] { rig.click("cmdNewTask"); }));
        QCOMPARE(current, 40);
        QCOMPARE(rig.form->grid().rows(), 40);
        QCOMPARE(rig.form->grid().row(), 24);
        QCOMPARE(rig.form->grid().topRow(), 20);
        QVERIFY(rig.inEditor([&] { rig.e->close(); }, [&] { rig.form->menus().MenuNew->trigger(); }));
        QCOMPARE(rig.form->grid().rows(), 40);
        QVERIFY(rig.inEditor([&] { rig.e->cmdSave_Click(); }, [&] { rig.form->NewTask(); }));
        QCOMPARE(rig.form->grid().rows(), 41);
        QCOMPARE(rig.form->grid().row(), 40);
        QVERIFY(!rig.session->newTaskPending());

        EditorRig full(General::kMaxTasks);
        QVERIFY(!full.cancelledEditor([&] { full.form->NewTask(); }));
    }

    // The row below moves up into the deleted one's place. The last delete
    // leaves one blank row; on the empty list Delete, Edit and the Active
    // toggle do nothing, and a cancelled New leaves the blank row.
    void deleteAsksAndRemovesTheRow() {
        EditorRig rig(3);
        rig.form->grid().selectRow(1);
        rig.messages.answers = {MsgAnswer::No};
        rig.click("cmdDelete");
        QCOMPARE(int(rig.g().TaskCount), 3);
        QCOMPARE(rig.lastMessage(), std::string("Are you sure you wish to delete T2?"));
        rig.form->menus().MenuDelete->trigger();
        QCOMPARE(rig.cell(1, 0), QString("T3"));
        QCOMPARE(rig.form->grid().rows(), 2);
        QCOMPARE(rig.form->grid().row(), 1);
        rig.form->DeleteTask();
        rig.form->DeleteTask();
        QCOMPARE(int(rig.g().TaskCount), 0);
        QCOMPARE(rig.form->grid().rows(), 1);
        QCOMPARE(rig.cell(0, 0), QString());

        const std::size_t asked = rig.messages.shown.size();
        rig.form->DeleteTask();
        rig.form->ToggleActive();
        QVERIFY(!rig.cancelledEditor());
        QCOMPARE(rig.messages.shown.size(), asked);
        QVERIFY(rig.cancelledEditor([&] { rig.form->NewTask(); }));
        QCOMPARE(rig.form->grid().rows(), 1);
        QCOMPARE(rig.cell(0, 2), QString());
    }

    // A double click on the Active column toggles it, elsewhere it edits, as
    // Enter does.
    void doubleClickAndEnterInTheGrid() {
        EditorRig rig(3);
        QVERIFY(rig.show());
        QTableWidget* table = rig.form->grid().table();
        auto doubleClick = [&](int column) {
            const QPointF at = table->visualRect(table->model()->index(1, column)).center();
            for (QEvent::Type type :
                 {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick}) {
                QMouseEvent e(type, at, table->viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(table->viewport(), &e);
            }
        };
        QVERIFY(!rig.cancelledEditor([&] { doubleClick(4); }));
        QCOMPARE(rig.cell(1, 4), QString("No"));
        QVERIFY(rig.cancelledEditor([&] { doubleClick(1); }));
        QString name;
        rig.form->grid().selectRow(2);
        QVERIFY(rig.inEditor(
            [&] {
                name = rig.e->txtInput[0]->text();
                rig.e->cmdCancel_Click();
            },
            [&] { QTest::keyClick(rig.form->grid().table(), Qt::Key_Return); }));
        QCOMPARE(name, QString("T3"));
        QCOMPARE(rig.form->grid().row(), 2); // Enter does not move on to the next row
    }

    void scriptListShowsTheFolderScripts() {
        EditorRig rig(1);
        for (const char* leaf : {"a.wdx", "b.wdx", "notes.txt"}) writeAll(rig.dir.file(leaf), "x");
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
        QCOMPARE(found, -7);
        rig.e->cmdEditScript->setText("C&reate Script");
        rig.e->cmbScriptFiles->setCurrentIndex(0); // picking an entry
        QCOMPARE(rig.e->cmdEditScript->text(), QString("&Edit Script"));
        rig.e->cmbScriptFiles->setEditText(""); // clearing alone changes nothing
        QCOMPARE(rig.e->cmdEditScript->text(), QString("&Edit Script"));
    }

    void createWritesTheHeaderStoresTheNameAndOpensTheFile() {
        ScriptRig rig;
        rig.e->txtInput[1]->setText("Typed before the create");
        rig.create({"backup"});
        QCOMPARE(readAll(rig.dir.file("backup.wdx")), rig.header("backup.wdx"));
        QCOMPARE(rig.g().slot(1).ScriptFile.trimmed(), std::string("backup.wdx"));
        QCOMPARE(rig.textEditor.opened, std::vector<std::string>{rig.dir.file("backup.wdx")});
        QCOMPARE(rig.activator.activated, std::vector<double>{77.0});
        // The create stored what was typed before it; Cancel keeps that.
        rig.e->cmdCancel_Click();
        QCOMPARE(rig.g().slot(1).ScriptFile.trimmed(), std::string("backup.wdx"));
        QCOMPARE(rig.g().slot(1).Comment.trimmed(), std::string("Typed before the create"));
    }

    // A typed name keeps an extension in any case and gets .wdx otherwise; a
    // name too long for the task is refused, the dialog staying open. An
    // existing file is replaced only on Yes.
    void theNameTypedAndAnExistingFile() {
        ScriptRig rig;
        rig.create({"Backup.WDX"});
        QVERIFY(QFile::exists(QString::fromStdString(rig.dir.file("Backup.WDX"))));
        rig.create({"notes.txt"});
        QVERIFY(QFile::exists(QString::fromStdString(rig.dir.file("notes.txt.wdx"))));
        const std::size_t asked = rig.messages.shown.size();
        rig.create({"a-very-long-script-name-for-nightly", "nightly"});
        QCOMPARE(rig.messages.shown.size(), asked + 1);
        QVERIFY(rig.lastMessageHas("longer than the 25 characters"));
        QVERIFY(!QFile::exists(QString::fromStdString(rig.dir.file("a-very-long-script-name-for-nightly.wdx"))));
        QCOMPARE(rig.g().slot(1).ScriptFile.trimmed(), std::string("nightly.wdx"));

        writeAll(rig.dir.file("old.wdx"), "EXEC keep\r\n");
        rig.textEditor.opened.clear();
        rig.messages.answers = {MsgAnswer::No, MsgAnswer::Yes};
        rig.create({"old.wdx"}); // No keeps the dialog open with the old file; then Cancel
        QCOMPARE(rig.lastMessage(), std::string("old.wdx already exists. OK to overwrite ?"));
        QCOMPARE(readAll(rig.dir.file("old.wdx")), std::string("EXEC keep\r\n"));
        QVERIFY(rig.textEditor.opened.empty());
        rig.create({"old"});
        QCOMPARE(readAll(rig.dir.file("old.wdx")), rig.header("old.wdx"));
    }

    // A path is refused, when created and when a task names one, and stored
    // nowhere; when no editor can start, a clear message.
    void failuresAreReportedAndNothingIsHalfWritten() {
        ScriptRig rig;
        rig.create({"no/such"});
        QCOMPARE(rig.messages.shown.size(), size_t(1));
        QVERIFY(rig.lastMessageHas("no/such.wdx"));
        QCOMPARE(rig.g().slot(1).ScriptFile.trimmed(), std::string());
        rig.e->cmbScriptFiles->setEditText("../elsewhere.wdx");
        rig.e->cmdEditScript_Click();
        QCOMPARE(rig.messages.shown.size(), size_t(2));
        QVERIFY(rig.textEditor.opened.empty());
        rig.textEditor.fail = true;
        rig.e->cmbScriptFiles->setEditText("typed.wdx  ");
        rig.e->cmdEditScript_Click();
        QCOMPARE(rig.textEditor.opened.back(), rig.dir.file("typed.wdx"));
        QVERIFY(rig.lastMessageHas("no editor"));
        QVERIFY(rig.activator.activated.empty());
    }
};

QTEST_MAIN(EditorTest)
#include "EditorTest.moc"
