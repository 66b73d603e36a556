// The task editor: its lists, the interval layout, loading and storing a
// task, the script list and the script button's caption.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <fstream>

#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"
#include "ui/Twips.h"
#include "ui/editor/frmDetail.h"
#include "ui/main/Form1.h"

using namespace wendrel;

namespace {
struct Rig {
    TempFolder dir;
    FakeClock clock;
    FakePump pump{clock};
    FakeMessageBoxes messages;
    General g;
    std::unique_ptr<Form1> form;
    frmDetail* e = nullptr;

    Rig(int tasks = 1) {
        Services s;
        s.messages = &messages; s.pump = &pump; s.clock = &clock;
        form = std::make_unique<Form1>(g, dir.path(), s, Form1::Options{false, false});
        form->Form_Load();
        for (int i = 0; i < tasks; ++i) g.append();
        if (tasks > 0) { form->setGridRows(tasks); form->FillGridRow(0); }
        form->selectRow(0);
        e = form->editor();
    }
    // Opens the editor on the current row (as Edit does), runs act, then saves.
    void editAndSave(const std::function<void()>& act) {
        QTimer::singleShot(0, e, [&] { act(); e->cmdSave_Click(); });
        form->EditTask();
    }
    QStringList visibleFields() {
        QStringList names;
        for (QWidget* w : e->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (!w->isHidden()) names << w->objectName();
        names.sort();
        return names;
    }
};
QStringList entries(QComboBox* c) {
    QStringList s;
    for (int i = 0; i < c->count(); ++i) s << c->itemText(i);
    return s;
}
} // namespace

class EditorTest : public QObject {
    Q_OBJECT
private slots:
    void listsHoldTheirFixedEntriesAndTakeAChoiceOnly() {
        Rig rig;
        frmDetail& e = *rig.e;
        QCOMPARE(e.windowTitle(), QString("Task Details"));
        QCOMPARE(entries(e.cmbInterval), QStringList({"Hourly", "Daily", "Weekly", "Monthly", "Yearly", "Other"}));
        QCOMPARE(entries(e.cmbActive), QStringList({"No", "Yes"}));
        QCOMPARE(entries(e.cmbMSOption), QStringList({"Mins", "Secs"}));
        QCOMPARE(e.cmbDayofWeek->itemText(6), QString("Saturday"));
        QCOMPARE(e.cmbDateMonth->count(), 12);
        QCOMPARE(e.cmbTimeHour->count(), 24);
        QCOMPARE(e.cmbTimeHour->itemText(7), QString("07"));
        QCOMPARE(e.cmbTimeMinute->itemText(5), QString("05"));
        QCOMPARE(e.cmbMinsPastHour->itemText(5), QString("5"));
        QCOMPARE(e.cmbOther->itemText(59), QString("59"));
        const QStringList days = entries(e.cmbDayofMonth);
        QCOMPARE(days, entries(e.cmbDateDay));
        QCOMPARE(days.size(), 31);
        for (int d : {1, 2, 3, 4, 11, 12, 13, 21, 22, 23, 30, 31})
            QCOMPARE(days[d - 1], QString::number(d) + (d == 1 || d == 21 || d == 31 ? "st"
                                                        : d == 2 || d == 22        ? "nd"
                                                        : d == 3 || d == 23        ? "rd" : "th"));
        for (QComboBox* c : e.findChildren<QComboBox*>())
            QCOMPARE(c->isEditable(), c == e.cmbScriptFiles);
        QVERIFY(e.findChild<QLineEdit*>("txtInput0") == e.txtInput[0]);
        QCOMPARE(e.cmbDateDay->y(), TwipsY(2280));
        QCOMPARE(e.cmbDateDay->height(), TwipsY(315));
        QVERIFY(e.cmbDateDay->x() >= TwipsX(2640) && e.cmbDateDay->x() > e.cmbDateMonth->geometry().right());

        // Keyboard order from the name box onwards.
        QStringList order;
        QWidget* w = e.txtInput[0];
        for (int i = 0; i < 17; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus || w->parentWidget() != &e) w = w->nextInFocusChain();
            order << w->objectName();
        }
        QCOMPARE(order, QStringList({"txtInput0", "txtInput1", "cmbActive", "cmbScriptFiles", "cmbInterval",
                                     "cmbDayofMonth", "cmbOther", "cmbMSOption", "cmbTimeHour", "cmbTimeMinute",
                                     "cmbDateMonth", "cmbDateDay", "cmbMinsPastHour", "cmbDayofWeek", "cmdSave",
                                     "cmdCancel", "cmdEditScript"}));
    }

    void theIntervalShowsExactlyItsFields() {
        Rig rig;
        const QStringList always = {"Label1", "Label10", "Label2", "Label8", "Label9", "cmbActive", "cmbInterval",
                                    "cmbScriptFiles", "cmdCancel", "cmdEditScript", "cmdSave", "txtInput0",
                                    "txtInput1"};
        const QStringList time = {"lblTime", "cmbTimeHour", "cmbTimeMinute", "lblTime1"};
        const QList<QStringList> extra = {
            {"lblMinsPastHour", "cmbMinsPastHour"},
            time,
            time + QStringList{"lblOther", "cmbDayofWeek"},
            time + QStringList{"lblDayofMonth", "cmbDayofMonth"},
            time + QStringList{"lblDate", "cmbDateMonth", "cmbDateDay"},
            {"lblOther", "cmbOther", "cmbMSOption"},
        };
        for (int pos = -1; pos < 6; ++pos) {
            rig.e->cmbInterval->setCurrentIndex(pos);
            QStringList expected = always + extra[pos < 0 ? 5 : pos];
            expected.sort();
            QCOMPARE(rig.visibleFields(), expected);
        }
    }

    void textsAreCutToTheRecordWidthsAndShownSoAgain() {
        Rig rig(2);
        rig.form->selectRow(1);
        rig.editAndSave([&] {
            rig.e->txtInput[0]->setText(QString(25, 'n'));
            rig.e->txtInput[1]->setText(QString(60, 'c'));
            rig.e->cmbScriptFiles->setEditText(QString(30, 's'));
            rig.e->cmbActive->setCurrentIndex(1);
        });
        const TaskRecord& r = rig.g.slot(2);
        QCOMPARE(r.Name.str(), std::string(20, 'n'));
        QCOMPARE(r.Comment.str(), std::string(50, 'c'));
        QCOMPARE(r.ScriptFile.str(), std::string(25, 's'));
        QCOMPARE(int(r.Active), 1);
        QVERIFY(rig.g.slot(1) == rig.g.slot(General::BlankSlot));   // only the current row's slot

        QString name, comment, script, caption;
        rig.editAndSave([&] {
            name = rig.e->txtInput[0]->text();
            comment = rig.e->txtInput[1]->text();
            script = rig.e->cmbScriptFiles->currentText();
            caption = rig.e->cmdEditScript->text();
            rig.e->txtInput[0]->setText("abc");
        });
        QCOMPARE(name, QString(20, 'n'));
        QCOMPARE(comment, QString(50, 'c'));
        QCOMPARE(script, QString(25, 's'));
        QCOMPARE(caption, QString("&Edit Script"));
        rig.editAndSave([&] { name = rig.e->txtInput[0]->text(); });
        QCOMPARE(name, "abc" + QString(17, ' '));
    }

    void hiddenListsKeepTheirPositions() {
        Rig rig;
        rig.editAndSave([&] {
            QCOMPARE(rig.e->cmdEditScript->text(), QString("&Create Script"));
            rig.e->cmbInterval->setCurrentIndex(4);
            rig.e->cmbDateMonth->setCurrentIndex(7);
            rig.e->cmbDateDay->setCurrentIndex(14);
            rig.e->cmbOther->setCurrentIndex(9);
            rig.e->cmbInterval->setCurrentIndex(1);
            QVERIFY(rig.e->cmbDateMonth->isHidden());
            rig.e->cmbInterval->setCurrentIndex(4);
            QCOMPARE(rig.e->cmbDateMonth->currentIndex(), 7);
            rig.e->cmbInterval->setCurrentIndex(1);
        });
        const TaskRecord& r = rig.g.slot(1);
        QCOMPARE(int(r.Interval), 1);
        QCOMPARE(int(r.DateMonth), 7);
        QCOMPARE(int(r.DateDay), 14);
        QCOMPARE(int(r.Other), 9);
        QCOMPARE(rig.form->Grid1->item(0, 2)->text(), QString("Daily"));
    }

    void aPositionOutsideItsListIsStoredAsTheFirstEntry() {
        Rig rig;
        rig.g.slot(1).TimeHour = 40;
        rig.g.slot(1).Interval = -3;
        rig.editAndSave([] {});
        QCOMPARE(int(rig.g.slot(1).TimeHour), 0);
        QCOMPARE(int(rig.g.slot(1).Interval), 0);
    }

    void theFrameCloseBoxActsAsCancel() {
        Rig rig(0);
        QTimer::singleShot(0, rig.e, [&] { rig.e->close(); });
        rig.form->NewTask();
        QVERIFY(!rig.e->isVisible());
        QCOMPARE(int(rig.g.TaskCount), 0);
        QCOMPARE(int(rig.g.NewTaskPending), 0);
    }

    void scriptListShowsTheFolderScriptsOnly() {
        Rig rig;
        for (const char* leaf : {"a.wdx", "b.wdx", "notes.txt", ".hidden.wdx"})
            std::ofstream(rig.dir.file(leaf)) << "x";
        rig.e->cmbScriptFiles->setEditText("typed");
        int found = -7;
        rig.e->FillScriptList("b.wdx", found);
        QStringList names = entries(rig.e->cmbScriptFiles);
        QCOMPARE(names.size(), 2);
        QCOMPARE(found, int(names.indexOf("b.wdx")));
        names.sort();
        QCOMPARE(names, QStringList({"a.wdx", "b.wdx"}));
        QCOMPARE(rig.e->cmbScriptFiles->currentText(), QString("typed"));   // box text and caption untouched
        QCOMPARE(rig.e->cmbScriptFiles->currentIndex(), -1);

        found = -7;
        rig.e->FillScriptList("B.WDX", found);
        rig.e->FillScriptList("c.wdx", found);
        QCOMPARE(found, -7);

        rig.e->cmdEditScript->setText("&Create Script");
        rig.e->cmbScriptFiles->setCurrentIndex(0);
        QCOMPARE(rig.e->cmdEditScript->text(), QString("&Edit Script"));
        rig.e->cmbScriptFiles->setEditText("");
        QCOMPARE(rig.e->cmdEditScript->text(), QString("&Edit Script"));
    }
};

QTEST_MAIN(EditorTest)
#include "EditorTest.moc"
