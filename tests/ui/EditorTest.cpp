// The task editor and the task list commands, with the modal editor driven
// from inside its show; creating a script file from the editor, the create
// dialog answered by the test while it is modal.

#include "tests/ui/MainWindowRig.h"
#include "ui/editor/frmAskFileName.h"

namespace {
struct EditorRig : Rig {
    frmDetail* e = nullptr;
    explicit EditorRig(int tasks) { // tasks named T1, T2, ...
        start(numberedTasks(tasks));
        e = form->editor();
    }
    QStringList visibleFor(int interval) {
        e->cmbInterval->setCurrentIndex(interval);
        QStringList names;
        for (QWidget* w : e->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (!w->isHidden()) names << w->objectName();
        return names;
    }
    // Presses the script button with an empty box; the dialog gets typed
    // names in turn (each followed by Create File) until it has closed.
    void create(QStringList typed) {
        e->cmbScriptFiles->setEditText(QString());
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, e, [&] {
            frmAskFileName* ask = e->askFileName();
            if (!ask->isVisible()) return;
            if (typed.isEmpty()) return ask->cmdCancel->click();
            ask->txtNewScriptName->setText(typed.takeFirst());
            ask->cmdCreate->click();
        });
        answer.start(0);
        e->cmdEditScript_Click();
    }
    std::string file(const std::string& leaf) { return readAll(dir.file(leaf)); }
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
        QTest::newRow("Weekly") << 2 << time + QStringList{"lblOther", "cmbDayofWeek"};
        QTest::newRow("Monthly") << 3 << time + QStringList{"lblDayofMonth", "cmbDayofMonth"};
        QTest::newRow("Yearly") << 4 << time + QStringList{"lblDate", "cmbDateMonth", "cmbDateDay"};
        QTest::newRow("Other") << 5 << QStringList{"lblOther", "cmbOther", "cmbMSOption"};
    }
    void theIntervalShowsItsOwnFields() {
        QFETCH(int, interval);
        QFETCH(QStringList, own);
        EditorRig rig(1);
        const QStringList hourly = rig.visibleFor(0);
        QStringList always = rig.visibleFor(1); // Hourly and Daily share what every interval shows
        always.removeIf([&](const QString& name) { return !hourly.contains(name); });
        QStringList shown = rig.visibleFor(interval);
        shown.removeIf([&](const QString& name) { return always.contains(name); });
        shown.sort();
        own.sort();
        QCOMPARE(shown, own);
    }

    // The boxes show the texts without their blank fill, so text typed at the
    // end is kept; a list that the interval hides is stored too; the task
    // opens again as saved. Only a text too long for its box names itself
    // whole in the tooltip.
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
        QCOMPARE(rig.form->grid().row(), 24);
        QCOMPARE(rig.form->grid().topRow(), 20);
        QVERIFY(rig.inEditor([&] { rig.e->close(); }, [&] { rig.form->NewTask(); }));
        QCOMPARE(rig.form->grid().rows(), 40);
        QVERIFY(rig.inEditor([&] { rig.e->cmdSave_Click(); }, [&] { rig.form->NewTask(); }));
        QCOMPARE(rig.form->grid().rows(), 41);
        QVERIFY(!rig.session->newTaskPending()); // committed, so written

        EditorRig full(General::kMaxTasks);
        QVERIFY(!full.cancelledEditor([&] { full.form->NewTask(); }));
    }

    // The button and the menu ask; the row below moves up into the deleted
    // one's place. The last delete leaves one blank row; on the empty list
    // Delete, Edit and the Active toggle do nothing, and a cancelled New
    // leaves the blank row.
    void deleteRemovesTheRow() {
        EditorRig rig(3);
        rig.form->grid().selectRow(1);
        rig.click("cmdDelete");
        QCOMPARE(rig.cell(1, 0), QString("T3"));
        QCOMPARE(rig.form->grid().row(), 1);
        rig.form->menus().MenuDelete->trigger();
        rig.form->DeleteTask();
        QCOMPARE(rig.form->grid().rows(), 1);
        QCOMPARE(rig.cell(0, 0), QString());

        rig.form->DeleteTask();
        rig.form->ToggleActive();
        QVERIFY(!rig.cancelledEditor());
        QCOMPARE(rig.messages.shown.size(), size_t(3)); // the three deletes asked, nothing since
        QVERIFY(rig.cancelledEditor([&] { rig.form->NewTask(); }));
        QCOMPARE(rig.cell(0, 2), QString());
    }

    // A double click on the Active column toggles it, elsewhere it edits.
    void doubleClickInTheGrid() {
        EditorRig rig(3);
        QVERIFY(rig.show());
        QTableWidget* table = rig.form->grid().table();
        auto doubleClick = [&](int column) {
            const QPointF at = table->visualRect(table->model()->index(1, column)).center();
            for (QEvent::Type type :
                 {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick})
                sendMouse(table->viewport(), type, at, Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
        };
        QVERIFY(!rig.cancelledEditor([&] { doubleClick(4); }));
        QCOMPARE(rig.cell(1, 4), QString("No"));
        QVERIFY(rig.cancelledEditor([&] { doubleClick(1); }));
    }

    // Box text and position survive a refill; the name is found;
    // the button's caption follows the box.
    // Only the script box takes typed text; the others are choices.
    void scriptListShowsTheFolderScriptsAndEditScriptOpensOneOfThem() {
        EditorRig rig(1);
        QCOMPARE(entries(rig.e->cmbDateDay).section(',', 9, 13), QString("10th,11th,12th,13th,14th"));
        for (QComboBox* c : rig.e->findChildren<QComboBox*>()) QCOMPARE(c->isEditable(), c == rig.e->cmbScriptFiles);
        for (const char* leaf : {"a.wdx", "b.wdx", "notes.txt"}) writeAll(rig.dir.file(leaf), "x");
        rig.e->cmbScriptFiles->setEditText("typed");
        int found = -7;
        rig.e->FillScriptList("b.wdx", found);
        const QString names = entries(rig.e->cmbScriptFiles);
        QVERIFY(names == "a.wdx,b.wdx" || names == "b.wdx,a.wdx");
        QCOMPARE(found, names.startsWith('b') ? 0 : 1);
        QCOMPARE(rig.e->cmbScriptFiles->currentText(), QString("typed"));
        QCOMPARE(rig.e->cmbScriptFiles->currentIndex(), -1);
        rig.e->cmdEditScript->setText("C&reate Script");
        rig.e->cmbScriptFiles->setCurrentIndex(0);
        QCOMPARE(rig.e->cmdEditScript->text(), QString("&Edit Script"));
        rig.e->cmbScriptFiles->setEditText("");
        QCOMPARE(rig.e->cmdEditScript->text(), QString("C&reate Script"));

        // A task naming a path opens nothing; when no editor can start, a
        // clear message and nothing to raise.
        rig.e->cmbScriptFiles->setEditText("../elsewhere.wdx");
        rig.e->cmdEditScript_Click();
        QCOMPARE(rig.messages.shown.size(), size_t(1));
        QVERIFY(rig.textEditor.opened.empty());
        rig.textEditor.fail = true;
        rig.e->cmbScriptFiles->setEditText("typed.wdx  ");
        rig.e->cmdEditScript_Click();
        QCOMPARE(rig.textEditor.opened.back(), rig.dir.file("typed.wdx"));
        QVERIFY(rig.lastMessageHas("no editor"));
        QVERIFY(rig.activator.activated.empty());
    }

    // A name is checked as it is typed; one in any language is kept whole.
    void aScriptNameIsCheckedAsItIsTypedAndKeptWhole() {
        EditorRig rig(1);
        frmAskFileName* ask = rig.e->askFileName();
        ask->txtNewScriptName->setText(QString(22, 'x')); // 26 characters with the extension
        QVERIFY(!ask->cmdCreate->isEnabled());
        QVERIFY(!ask->lblNameProblem->text().isEmpty());
        rig.create({QString::fromUtf8("\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82")}); // отчёт
        QCOMPARE(rig.g().slot(1).ScriptFile.shown(), std::string("\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.wdx"));
        // Typed into the editor's box, a name too long for the task is
        // refused at Save rather than cut to another file's name.
        rig.e->cmbScriptFiles->setEditText(QString(26, 'y'));
        rig.e->cmdSave_Click();
        QCOMPARE(rig.messages.shown.size(), size_t(1));
    }

    // The create writes the header, opens the file in a text editor and
    // stores the name with what was typed before it (Cancel keeps both). A
    // refused name keeps the dialog open for another; an existing file is
    // replaced only on Yes (No keeps the dialog open, then Cancel).
    void createWritesTheScriptAndStoresItsName() {
        EditorRig rig(1);
        rig.e->show();
        rig.e->txtInput[1]->setText("Typed before the create");
        rig.create({"a-very-long-script-name-for-nightly", "backup"});
        QCOMPARE(rig.file("backup.wdx"), rig.header("backup.wdx"));
        QCOMPARE(rig.textEditor.opened, std::vector<std::string>{rig.dir.file("backup.wdx")});
        QCOMPARE(rig.activator.activated, std::vector<double>{77.0});

        writeAll(rig.dir.file("old.wdx"), "EXEC keep\r\n");
        rig.messages.answers = {MsgAnswer::No, MsgAnswer::Yes};
        rig.create({"old.wdx"});
        QCOMPARE(rig.file("old.wdx"), std::string("EXEC keep\r\n"));
        QCOMPARE(rig.textEditor.opened.size(), size_t(1));
        rig.create({"old"});
        QCOMPARE(rig.file("old.wdx"), rig.header("old.wdx"));
        rig.e->cmdCancel_Click();
        QCOMPARE(rig.g().slot(1).ScriptFile.trimmed(), std::string("old.wdx"));
        QCOMPARE(rig.g().slot(1).Comment.trimmed(), std::string("Typed before the create"));
    }
};

QTEST_MAIN(EditorTest)
#include "EditorTest.moc"
