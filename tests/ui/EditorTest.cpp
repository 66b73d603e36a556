// The task editor and the list commands that open it, the modal editor driven
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
        names.sort();
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
    // Each field an interval needs shows its own controls, beside those every
    // interval shows (what Hourly and Daily share).
    void eachFieldShowsItsOwnControls() {
        EditorRig rig(1);
        QStringList always = rig.visibleFor(1);
        always.removeIf([hourly = rig.visibleFor(0)](const QString& name) { return !hourly.contains(name); });
        const QStringList time = {"cmbTimeHour", "cmbTimeMinute", "lblTime", "lblTime1"};
        const std::pair<int, QStringList> own[] = {{0, {"cmbMinsPastHour", "lblMinsPastHour"}},
                                                   {2, time + QStringList{"cmbDayofWeek", "lblOther"}},
                                                   {3, time + QStringList{"cmbDayofMonth", "lblDayofMonth"}},
                                                   {4, time + QStringList{"cmbDateDay", "cmbDateMonth", "lblDate"}},
                                                   {5, {"cmbMSOption", "cmbOther", "lblOther"}}};
        for (auto [interval, names] : own) {
            QStringList shown = rig.visibleFor(interval);
            shown.removeIf([&](const QString& name) { return always.contains(name); });
            names.sort();
            QCOMPARE(shown, names);
        }
    }

    // The boxes show the texts without their blank fill, so text typed at the
    // end is kept; a list that the interval hides is stored too; Enter saves
    // from any field. Only a text too long for its box names itself whole in
    // the tooltip.
    void saveStoresWhatTheEditorHolds() {
        EditorRig rig(2);
        rig.form->grid().selectRow(1);
        QVERIFY(rig.inEditor([&] {
            rig.e->txtInput[0]->end(false);
            QTest::keyClicks(rig.e->txtInput[0], " daily");
            rig.e->cmbInterval->setCurrentIndex(4); // Yearly, then Daily
            rig.e->cmbDateMonth->setCurrentIndex(7);
            rig.e->cmbInterval->setCurrentIndex(1);
            QTest::keyClick(rig.e->txtInput[0], Qt::Key_Return);
            if (rig.e->isVisible()) rig.e->cmdCancel_Click(); // the key did not end it
        }));
        QCOMPARE(rig.g().slot(2).DateMonth, std::int16_t(7));
        QCOMPARE(rig.cell(1, 2), QString("Daily"));
        QVERIFY(readAll(rig.dir.file("Scripts.dat")).find("T2 daily") != std::string::npos);
        QCOMPARE(rig.e->txtInput[0]->toolTip(), QString());
        rig.e->txtInput[1]->setText(QString(50, 'W'));
        QCOMPARE(rig.e->txtInput[1]->toolTip(), QString(50, 'W'));
    }

    // The added row is current while the editor is open; the frame's close
    // box takes it away and leaves the scrolled list and its current row as
    // they were. A full list opens no editor.
    void newAddsARowThatClosingTakesAway() {
        EditorRig rig(40);
        QVERIFY(rig.show());
        rig.form->grid().setTopRow(20);
        rig.form->grid().selectRow(24);
        int current = -1;
        QVERIFY(rig.inEditor(
            [&] {
                current = rig.form->grid().row();
                rig.e->close();
            },
            [&] { rig.click("cmdNewTask"); }));
        QCOMPARE(current, 40);
        QCOMPARE(rig.form->grid().rows(), 40);
        QCOMPARE(rig.form->grid().row(), 24);
        QCOMPARE(rig.form->grid().topRow(), 20);

        EditorRig full(General::kMaxTasks);
        QVERIFY(!full.cancelledEditor([&] { full.form->NewTask(); }));
    }

    // A double click on the Active column toggles it, elsewhere it edits.
    // Delete moves the row below up into the deleted one's place; the last
    // delete leaves one blank row, on which Edit opens nothing.
    void doubleClickAndDeleteInTheGrid() {
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

        rig.click("cmdDelete");
        QCOMPARE(rig.cell(1, 0), QString("T3"));
        QCOMPARE(rig.form->grid().row(), 1);
        rig.form->menus().MenuDelete->trigger();
        rig.form->DeleteTask();
        QCOMPARE(rig.form->grid().rows(), 1);
        QCOMPARE(rig.cell(0, 0), QString());
        QVERIFY(!rig.cancelledEditor());
    }

    // The script box lists the folder's scripts and keeps what was typed; the
    // button's caption follows the box. Only the script box takes typed text.
    // A name with a path opens nothing; when no editor can start, a clear
    // message and nothing to raise.
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
        rig.e->cmbScriptFiles->setCurrentIndex(0);
        QCOMPARE(rig.e->cmdEditScript->text(), QString("&Edit Script"));
        rig.e->cmbScriptFiles->setEditText("");
        QCOMPARE(rig.e->cmdEditScript->text(), QString("C&reate Script"));

        rig.e->cmbScriptFiles->setEditText("../elsewhere.wdx");
        rig.e->cmdEditScript_Click();
        QCOMPARE(rig.messages.shown.size(), size_t(1));
        QVERIFY(rig.textEditor.opened.empty());
        rig.textEditor.fail = true;
        rig.e->cmbScriptFiles->setEditText("typed.wdx  ");
        rig.e->cmdEditScript_Click();
        QCOMPARE(rig.textEditor.opened.back(), rig.dir.file("typed.wdx"));
        QVERIFY(rig.lastMessage().find("no editor") != std::string::npos);
        QVERIFY(rig.activator.activated.empty());
    }

    // The dialog checks a name as it is typed, and a refused name keeps it
    // open for another. The create writes the header, opens the file in a
    // text editor and stores the name, in any language, with what was typed
    // before it (Cancel keeps both). An existing file is replaced only on Yes.
    void createWritesTheScriptAndStoresItsName() {
        EditorRig rig(1);
        frmAskFileName* ask = rig.e->askFileName();
        ask->txtNewScriptName->setText(QString(22, 'x')); // 26 characters with the extension
        QVERIFY(!ask->cmdCreate->isEnabled());
        QVERIFY(!ask->lblNameProblem->text().isEmpty());
        rig.e->show();
        rig.e->txtInput[1]->setText("Typed before the create");
        const std::string report = "\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82.wdx"; // отчёт.wdx
        rig.create({"a-very-long-script-name-for-nightly", QString::fromStdString(report).chopped(4)});
        QCOMPARE(readAll(rig.dir.file(report)), rig.header(report));
        QCOMPARE(rig.textEditor.opened, std::vector<std::string>{rig.dir.file(report)});
        QCOMPARE(rig.activator.activated, std::vector<double>{77.0});

        writeAll(rig.dir.file("old.wdx"), "EXEC keep\r\n");
        rig.messages.answers = {MsgAnswer::No, MsgAnswer::Yes};
        rig.create({"old.wdx"});
        QCOMPARE(readAll(rig.dir.file("old.wdx")), std::string("EXEC keep\r\n"));
        rig.create({"old"});
        QCOMPARE(readAll(rig.dir.file("old.wdx")), rig.header("old.wdx"));
        rig.e->cmdCancel_Click();
        QCOMPARE(rig.g().slot(1).ScriptFile.trimmed(), std::string("old.wdx"));
        QCOMPARE(rig.g().slot(1).Comment.trimmed(), std::string("Typed before the create"));

        // Typed into the editor's box, a name too long for the task is
        // refused at Save rather than cut to another file's name.
        rig.e->cmbScriptFiles->setEditText(QString(26, 'y'));
        rig.e->cmdSave_Click();
        QVERIFY(rig.lastMessage().find("longer than") != std::string::npos);
    }
};

QTEST_MAIN(EditorTest)
#include "EditorTest.moc"
