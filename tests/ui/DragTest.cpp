// Reordering tasks by dragging a grid row: the mouse events go to the grid's
// viewport as the desktop would deliver them, and the move question is
// answered by the test.
#include <QFrame>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

#include "tests/ui/MainWindowRig.h"

using namespace wendrel;
using namespace wendrel::testing;

namespace {

struct DragRig : Rig {
    // A shown main window on a folder holding tasks T1..Tcount.
    explicit DragRig(int count) {
        start(numberedTasks(count));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    QWidget* viewport() { return form->Grid1->viewport(); }
    int rowHeight() { return form->Grid1->rowHeight(0); }
    // The middle of a row, in viewport pixels.
    int yOfRow(int row) { return form->Grid1->rowViewportPosition(row) + rowHeight() / 2; }
    // The current row is in view, in full.
    bool currentRowShown() {
        const QRect r = form->Grid1->visualRect(form->Grid1->model()->index(form->gridRow(), 0));
        return r.top() >= 0 && r.bottom() < viewport()->height();
    }
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
    std::string lastQuestion() { return messages.shown.empty() ? std::string() : messages.shown.back().text; }
};

} // namespace

class DragTest : public QObject {
    Q_OBJECT

private slots:
    // The gesture itself: the first move with the button held starts it, the
    // indicator marks the top edge of the row under the pointer across the
    // window, and the release alone does not drop.
    void theIndicatorMarksTheRowUnderThePointer() {
        DragRig rig(5);
        rig.press(1);
        rig.dragTo(rig.yOfRow(4));
        QCOMPARE(rig.g.Dragging, std::int16_t(1));
        QCOMPARE(rig.g.DragStartRow, std::int16_t(1));
        QCOMPARE(rig.g.DropOffset, std::int16_t(4));
        QVERIFY(rig.form->Line1->isVisible());
        const int boundary = rig.form->Grid1->y() + rig.viewport()->y() + 4 * rig.rowHeight();
        QVERIFY(std::abs(rig.form->Line1->geometry().center().y() - boundary) <= 1);
        QCOMPARE(rig.form->Line1->width(), rig.form->centralWidget()->width());
        rig.release(rig.yOfRow(4));
        QVERIFY(rig.messages.shown.empty());
        rig.hover(rig.yOfRow(4));
        QVERIFY(rig.messages.shown.at(0).buttons == MsgButtons::YesNo);
        QCOMPARE(rig.form->Grid1->item(3, 0)->text().trimmed(), QString("T2")); // the grid shows the new order
        QCOMPARE(rig.form->gridCol(), 5);
        QCOMPARE(rig.g.Dragging, std::int16_t(0));
        QVERIFY(!rig.form->Line1->isVisible());

        // Above the grid the indicator sticks to the grid's top edge.
        rig.press(3);
        rig.dragTo(-300);
        QCOMPARE(rig.g.DropOffset, std::int16_t(0));
        QCOMPARE(rig.form->Line1->y(), rig.form->Grid1->y());
    }

    // Five tasks, the grid not scrolled: where a row is dropped, what is asked,
    // the order after the answer and the current row. y is a row, or
    // -1 above the grid, or 9 below its bottom edge.
    void dropsInAListThatFitsTheGrid_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("order");
        QTest::addColumn<int>("current");
        const QString same = "T1 T2 T3 T4 T5";
        QTest::newRow("down") << 1 << 4 << true << "move row 2 to row 4"
                              << "T1 T3 T4 T2 T5" << 3;
        QTest::newRow("up") << 3 << 0 << true << "move row 4 to row 1"
                            << "T4 T1 T2 T3 T5" << 0;
        QTest::newRow("above the grid") << 3 << -1 << true << "move row 4 to row 1"
                                        << "T4 T1 T2 T3 T5" << 0;
        QTest::newRow("below the last row") << 1 << 9 << true << "move row 2 to row 5"
                                            << "T1 T3 T4 T5 T2" << 4;
        QTest::newRow("answered No") << 0 << 3 << false << "move row 1 to row 3" << same << 2;
        QTest::newRow("onto itself") << 2 << 2 << true << "" << same << 2;
        QTest::newRow("just below itself") << 2 << 3 << true << "" << same << 2;
    }
    void dropsInAListThatFitsTheGrid() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, yes);
        QFETCH(QString, question);
        DragRig rig(5);
        if (!yes) rig.messages.answers = {MsgAnswer::No};
        rig.dragRow(from, to < 0 ? -300 : to > 5 ? rig.form->Grid1->height() + 200 : rig.yOfRow(to));
        const QString asked = question.isEmpty() ? "" : "Are you sure you wish to " + question + "?";
        QCOMPARE(QString::fromStdString(rig.lastQuestion()), asked);
        QTEST(rig.order(), "order");
        QTEST(rig.form->gridRow(), "current");
        QVERIFY(!rig.form->Line1->isVisible());
    }

    // A click, or a press and release without a move, starts no drag.
    void aClickStartsNoDrag() {
        DragRig rig(5);
        rig.press(1);
        rig.release(rig.yOfRow(1));
        rig.hover(rig.yOfRow(4));
        QVERIFY(rig.messages.shown.empty());
        QCOMPARE(rig.g.Dragging, std::int16_t(0));
        QVERIFY(!rig.form->Line1->isVisible());
    }

    // Below the grid of a list longer than the grid: the end of the list.
    void belowTheGridMeansTheEndOfTheList() {
        DragRig rig(30);
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
    }

    // In a scrolled grid the drop counts rows from the first row shown in
    // full, whether the grid scrolls by whole rows or (as some desktops make
    // it) by pixels with a sliver of the row above showing; the list does not
    // jump, and the current row is in view after Yes and after No.
    void aScrolledGridDropsOnTheRowUnderTheMarker_data() {
        QTest::addColumn<bool>("sliver");
        QTest::newRow("whole rows") << false;
        QTest::newRow("1 px of the row above") << true;
    }
    void aScrolledGridDropsOnTheRowUnderTheMarker() {
        QFETCH(bool, sliver);
        DragRig rig(40);
        QTableWidget* grid = rig.form->Grid1;
        if (sliver) {
            grid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
            grid->verticalScrollBar()->setValue(10 * rig.rowHeight() - 1);
        } else {
            rig.form->setGridTopRow(10);
        }
        QCOMPARE(rig.form->gridTopRow(), 10);
        rig.dragRow(12, rig.yOfRow(15));
        QCOMPARE(rig.lastQuestion(), std::string("Are you sure you wish to move row 13 to row 15?"));
        QCOMPARE(QString::fromStdString(rig.g.slot(15).Name.trimmed()), QString("T13"));
        QCOMPARE(rig.form->gridTopRow(), 10);
        QVERIFY(rig.currentRowShown());

        rig.messages.answers = {MsgAnswer::No};
        rig.dragRow(15, rig.yOfRow(11));
        QCOMPARE(rig.lastQuestion(), std::string("Are you sure you wish to move row 16 to row 12?"));
        QCOMPARE(rig.form->gridTopRow(), 10);
        QCOMPARE(rig.form->gridRow(), 11);

        // Below the grid the drop means the last task, never behind it; No
        // makes the last row current, and it is brought into view.
        rig.messages.answers = {MsgAnswer::No};
        rig.dragRow(12, grid->height() + 50);
        QCOMPARE(rig.lastQuestion(), std::string("Are you sure you wish to move row 13 to row 40?"));
        QCOMPARE(rig.form->gridRow(), 39);
        QVERIFY(rig.currentRowShown());
    }

    // The hint follows the column under the pointer (the double click reads it).
    void theHintFollowsTheColumn() {
        DragRig rig(3);
        const int activeLeft = rig.form->Grid1->columnViewportPosition(4);
        rig.hover(rig.yOfRow(1), activeLeft + 3);
        QCOMPARE(rig.form->hintText(),
                 QString("Double click this column to quickly toggle the active status of a task."));
        rig.hover(rig.yOfRow(1), activeLeft - 3);
        QCOMPARE(rig.form->hintText(), QString("Drag tasks up or down to change the order in which they execute."));
    }
};

QTEST_MAIN(DragTest)
#include "DragTest.moc"
