// Reordering tasks by dragging a grid row: the mouse events go to the grid's
// viewport as the desktop would deliver them, and the move question is
// answered by the test.
#include <QFrame>
#include <QMouseEvent>
#include <QTableWidget>
#include <QtTest>
#include <fstream>

#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"
#include "ui/main/Form1.h"

using namespace wendrel;

namespace {

struct Rig {
    FakeClock clock;
    FakePump pump{clock};
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeActivator activator;
    FakeKeys keys;
    General g;
    TempFolder dir;
    std::unique_ptr<Form1> form;

    // A shown main window on a folder holding tasks T1..Tcount.
    explicit Rig(int count) {
        std::ofstream out(dir.file("Scripts.dat"), std::ios::binary);
        for (int i = 1; i <= count; ++i) out << "T" << i << "~~0~0~0~0~0~0~0~0~0~0~1~t.wdx\r\n";
        out.close();
        Services s;
        s.messages = &messages;
        s.launcher = &launcher;
        s.activator = &activator;
        s.keys = &keys;
        s.pump = &pump;
        s.clock = &clock;
        form = std::make_unique<Form1>(g, dir.path(), s, Form1::Options{false, false});
        form->Form_Load();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    QWidget* viewport() { return form->Grid1->viewport(); }
    int rowHeight() { return form->Grid1->rowHeight(0); }
    // The middle of a visible row, in viewport pixels.
    int yOfRow(int row) { return (row - form->gridTopRow()) * rowHeight() + rowHeight() / 2; }
    int x() { return form->Grid1->columnViewportPosition(1) + 5; }

    void send(QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons held, int atX = -1) {
        const QPointF p(atX < 0 ? x() : atX, y);
        QMouseEvent e(type, p, viewport()->mapToGlobal(p), button, held, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &e);
    }
    void press(int row) { send(QEvent::MouseButtonPress, yOfRow(row), Qt::LeftButton, Qt::LeftButton); }
    void dragTo(int y) { send(QEvent::MouseMove, y, Qt::NoButton, Qt::LeftButton); }
    void release(int y) { send(QEvent::MouseButtonRelease, y, Qt::LeftButton, Qt::NoButton); }
    void hover(int y, int atX = -1) { send(QEvent::MouseMove, y, Qt::NoButton, Qt::NoButton, atX); }

    // Press on a row, drag to y, release there and move once more.
    void dragRow(int row, int y) {
        press(row);
        dragTo(yOfRow(row) + 2);
        dragTo(y);
        release(y);
        hover(y);
    }

    QString order() {
        QStringList names;
        for (int i = 1; i <= g.TaskCount; ++i) names << QString::fromStdString(g.slot(i).Name.trimmed());
        return names.join(' ');
    }
    QString grid() {
        QStringList names;
        for (int r = 0; r < form->Grid1->rowCount(); ++r) names << form->Grid1->item(r, 0)->text().trimmed();
        return names.join(' ');
    }
    std::string lastQuestion() { return messages.shown.empty() ? std::string() : messages.shown.back().text; }
};

} // namespace

class DragTest : public QObject {
    Q_OBJECT

private slots:
    void dragDownAsksAndMovesTheTaskBelowTheRowsItPassed() {
        Rig rig(5);
        rig.press(1);
        rig.dragTo(rig.yOfRow(4));
        QCOMPARE(rig.g.Dragging, std::int16_t(1));
        QCOMPARE(rig.g.DragStartRow, std::int16_t(1));
        QCOMPARE(rig.g.DropOffset, std::int16_t(4));
        // The indicator marks the top edge of row 4 and spans the window.
        QVERIFY(rig.form->Line1->isVisible());
        const int boundary = rig.form->Grid1->y() + rig.viewport()->y() + 4 * rig.rowHeight();
        QVERIFY(std::abs(rig.form->Line1->geometry().center().y() - boundary) <= 1);
        QCOMPARE(rig.form->Line1->width(), rig.form->centralWidget()->width());
        rig.release(rig.yOfRow(4));
        QVERIFY(rig.messages.shown.empty());   // the release alone does not drop

        rig.hover(rig.yOfRow(4));
        QCOMPARE(rig.messages.shown.size(), size_t(1));
        QCOMPARE(rig.messages.shown[0].text, std::string("Are you sure you wish to move row 2 to row 4?"));
        QCOMPARE(rig.messages.shown[0].caption, std::string("Altering task order"));
        QVERIFY(rig.messages.shown[0].buttons == MsgButtons::YesNo);
        QVERIFY(rig.messages.shown[0].icon == MsgIcon::None);
        QCOMPARE(rig.order(), QString("T1 T3 T4 T2 T5"));
        QCOMPARE(rig.grid(), QString("T1 T3 T4 T2 T5"));
        QCOMPARE(rig.form->gridRow(), 3);
        QCOMPARE(rig.form->gridCol(), 5);
        QCOMPARE(rig.g.Dragging, std::int16_t(0));
        QVERIFY(!rig.form->Line1->isVisible());
        QCOMPARE(rig.g.TaskCount, std::int16_t(5));
    }

    void dragUpOntoTheFirstRow() {
        Rig rig(5);
        rig.dragRow(3, rig.yOfRow(0));
        QCOMPARE(rig.lastQuestion(), std::string("Are you sure you wish to move row 4 to row 1?"));
        QCOMPARE(rig.order(), QString("T4 T1 T2 T3 T5"));
        QCOMPARE(rig.form->gridRow(), 0);
    }

    void dropOnItselfOrJustBelowAsksNothing() {
        Rig rig(5);
        rig.dragRow(2, rig.yOfRow(2));
        QCOMPARE(rig.form->gridRow(), 2);
        rig.dragRow(2, rig.yOfRow(3));
        QCOMPARE(rig.form->gridRow(), 2);
        QVERIFY(rig.messages.shown.empty());
        QCOMPARE(rig.order(), QString("T1 T2 T3 T4 T5"));
        QCOMPARE(rig.g.Dragging, std::int16_t(0));

        // A click without a move starts no drag at all.
        rig.press(1);
        rig.release(rig.yOfRow(1));
        rig.hover(rig.yOfRow(4));
        QVERIFY(rig.messages.shown.empty());
        QCOMPARE(rig.g.Dragging, std::int16_t(0));
        QVERIFY(!rig.form->Line1->isVisible());
    }

    void dropBelowTheLastRowOrAboveTheTopEdge() {
        Rig rig(5);
        // The five rows do not fill the grid: below them means the end.
        rig.dragRow(1, rig.form->Grid1->height() + 200);
        QCOMPARE(rig.lastQuestion(), std::string("Are you sure you wish to move row 2 to row 5?"));
        QCOMPARE(rig.order(), QString("T1 T3 T4 T5 T2"));
        QCOMPARE(rig.form->gridRow(), 4);

        // Above the grid the indicator sticks to the grid's top edge.
        rig.press(3);
        rig.dragTo(-300);
        QCOMPARE(rig.g.DropOffset, std::int16_t(0));
        QCOMPARE(rig.form->Line1->y(), rig.form->Grid1->y());
        rig.release(-300);
        rig.hover(rig.yOfRow(2));
        QCOMPARE(rig.lastQuestion(), std::string("Are you sure you wish to move row 4 to row 1?"));
        QCOMPARE(rig.order(), QString("T5 T1 T3 T4 T2"));
    }

    void answeringNoKeepsTheOrderButMovesTheCurrentRow() {
        Rig rig(5);
        rig.messages.answers = {MsgAnswer::No};
        rig.dragRow(0, rig.yOfRow(3));
        QCOMPARE(rig.lastQuestion(), std::string("Are you sure you wish to move row 1 to row 3?"));
        QCOMPARE(rig.order(), QString("T1 T2 T3 T4 T5"));
        QCOMPARE(rig.form->gridRow(), 2);
        QVERIFY(!rig.form->Line1->isVisible());
    }

    void aRunningTaskTakesItsRunStateAlong() {
        Rig rig(5);
        TaskRecord& r = rig.g.slot(2);
        r.Running = 1;
        r.LastRun = DateTime{2026, 12, 6, 9, 0, 0};
        r.ProcessId = 4321;
        rig.dragRow(1, rig.yOfRow(5) + 1);
        QCOMPARE(rig.order(), QString("T1 T3 T4 T5 T2"));
        const TaskRecord& moved = rig.g.slot(5);
        QCOMPARE(moved.Running, std::int16_t(1));
        QVERIFY(moved.LastRun && *moved.LastRun == (DateTime{2026, 12, 6, 9, 0, 0}));
        QCOMPARE(moved.ProcessId, 4321.0);
        QCOMPARE(rig.g.slot(2).Running, std::int16_t(0));
    }

    void belowTheGridOfALongListMeansTheEndOfTheList() {
        Rig rig(30);
        const int below = rig.form->Grid1->height() + 100;
        rig.press(1);
        rig.dragTo(below);
        QCOMPARE(rig.g.DropOffset, std::int16_t(30));
        const QRect grid = rig.form->Grid1->geometry();
        QVERIFY(rig.form->Line1->geometry().bottom() <= grid.bottom());
        QVERIFY(rig.form->Line1->y() > grid.bottom() - 4);
        rig.release(below);
        rig.hover(rig.yOfRow(1));
        QCOMPARE(rig.lastQuestion(), std::string("Are you sure you wish to move row 2 to row 30?"));
        QCOMPARE(QString::fromStdString(rig.g.slot(30).Name.trimmed()), QString("T2"));

        // Scrolled: the clamp still means the last task, never behind it.
        rig.form->setGridTopRow(10);
        QCOMPARE(rig.form->gridTopRow(), 10);
        rig.press(12);
        rig.dragTo(below);
        QCOMPARE(rig.g.DropOffset, std::int16_t(20));
        rig.release(below);
        rig.hover(rig.yOfRow(12));
        QCOMPARE(rig.lastQuestion(), std::string("Are you sure you wish to move row 13 to row 30?"));
        QCOMPARE(QString::fromStdString(rig.g.slot(30).Name.trimmed()), QString("T14"));
        QCOMPARE(rig.g.TaskCount, std::int16_t(30));
    }

    void theHintFollowsTheColumnAndSteersTheDoubleClick() {
        Rig rig(3);
        const int activeLeft = rig.form->Grid1->columnViewportPosition(4);
        rig.hover(rig.yOfRow(1), activeLeft + 3);
        QCOMPARE(rig.form->hintText(),
                 QString("Double click this column to quickly toggle the active status of a task."));
        rig.press(1);
        rig.release(rig.yOfRow(1));
        rig.form->Grid1_dblclick();
        QCOMPARE(rig.g.slot(2).Active, std::int16_t(0));
        QCOMPARE(rig.form->Grid1->item(1, 4)->text(), QString("No"));

        rig.hover(rig.yOfRow(1), activeLeft - 3);
        QCOMPARE(rig.form->hintText(), QString("Drag tasks up or down to change the order in which they execute."));
    }
};

QTEST_MAIN(DragTest)
#include "DragTest.moc"
