// Reordering tasks by dragging a grid row: the mouse events go to the grid's
// viewport as the desktop would deliver them, and the move question is
// answered by the test.

#include "tests/ui/MainWindowRig.h"

using namespace wendrel;
using namespace wendrel::testing;

namespace {

struct DragRig : Rig {
    // A shown main window on a folder holding tasks T1..Tcount.
    explicit DragRig(int count) {
        start(numberedTasks(count));
        QVERIFY(show());
    }

    QTableWidget* table() { return form->grid().table(); }
    QFrame* line() { return form->findChild<QFrame*>("Line1"); }
    QWidget* viewport() { return table()->viewport(); }
    int rowHeight() { return table()->rowHeight(0); }
    // The middle of a row, in viewport pixels.
    int yOfRow(int row) { return table()->rowViewportPosition(row) + rowHeight() / 2; }
    // The current row is in view, in full.
    bool currentRowShown() {
        const QRect r = table()->visualRect(table()->model()->index(form->grid().row(), 0));
        return r.top() >= 0 && r.bottom() < viewport()->height();
    }
    int x() { return table()->columnViewportPosition(1) + 5; }

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
};

} // namespace

class DragTest : public QObject {
    Q_OBJECT

private slots:
    // A click is no drag. The first move with the button held starts one;
    // the indicator marks the top edge of the row under the pointer across
    // the window, above the grid it sticks to the grid's top edge, and the
    // release alone does not drop.
    void theIndicatorMarksTheRowUnderThePointer() {
        DragRig rig(5);
        rig.press(1);
        rig.release(rig.yOfRow(1));
        rig.hover(rig.yOfRow(4));
        QVERIFY(!rig.line()->isVisible());
        rig.press(1);
        rig.dragTo(rig.yOfRow(4));
        QVERIFY(rig.line()->isVisible());
        const int boundary = rig.table()->y() + rig.viewport()->y() + 4 * rig.rowHeight();
        QVERIFY(std::abs(rig.line()->geometry().center().y() - boundary) <= 1);
        QCOMPARE(rig.line()->width(), rig.form->centralWidget()->width());
        rig.dragTo(-300);
        QCOMPARE(rig.line()->y(), rig.table()->y());
        rig.release(-300);
        QVERIFY(rig.messages.shown.empty());
    }

    // The drop asks, and Yes reorders the grid and saves the new order; No
    // leaves both and makes the target row current. The indicator goes.
    void aDropReordersTheGridAndSaves_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("row4");
        QTest::newRow("Yes") << true << "T2";
        QTest::newRow("No") << false << "T4";
    }
    void aDropReordersTheGridAndSaves() {
        QFETCH(bool, yes);
        DragRig rig(5);
        if (!yes) rig.messages.answers = {MsgAnswer::No};
        rig.dragRow(1, rig.yOfRow(4));
        QCOMPARE(rig.messages.shown.size(), std::size_t(1));
        QTEST(rig.table()->item(3, 0)->text().trimmed(), "row4");
        QCOMPARE(rig.form->grid().row(), 3);
        QVERIFY(!rig.line()->isVisible());
        const std::string saved = readAll(rig.dir.file("Scripts.dat"));
        QCOMPARE(saved.find("T3") < saved.find("T2"), yes);
    }

    // Some desktops scroll the grid by pixels, with a sliver of the row above
    // showing: the drop counts rows from the first row shown in full, the
    // list does not jump, and the current row stays in view.
    void aScrolledGridDropsOnTheRowUnderTheMarker() {
        DragRig rig(40);
        rig.table()->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        rig.table()->verticalScrollBar()->setValue(10 * rig.rowHeight() - 1);
        QCOMPARE(rig.form->grid().topRow(), 10);
        rig.dragRow(12, rig.yOfRow(15));
        QCOMPARE(rig.lastMessage(), std::string("Are you sure you wish to move row 13 to row 15?"));
        QCOMPARE(rig.form->grid().topRow(), 10);
        QVERIFY(rig.currentRowShown());

        // Below the grid: the indicator stays on the grid's bottom edge, the
        // drop means the last task, and No makes it current and brings it
        // into view.
        rig.messages.answers = {MsgAnswer::No};
        const int below = rig.table()->height() + 50;
        rig.press(12);
        rig.dragTo(below);
        QVERIFY(rig.line()->geometry().bottom() <= rig.table()->geometry().bottom());
        QVERIFY(rig.line()->y() > rig.table()->geometry().bottom() - 4);
        rig.release(below);
        rig.hover(below);
        QCOMPARE(rig.lastMessage(), std::string("Are you sure you wish to move row 13 to row 40?"));
        QVERIFY(rig.currentRowShown());
    }

    // The hint follows the column under the pointer (the double click reads it).
    void theHintFollowsTheColumn() {
        DragRig rig(3);
        const int activeLeft = rig.table()->columnViewportPosition(4);
        rig.hover(rig.yOfRow(1), activeLeft + 3);
        QVERIFY(rig.form->hintText().startsWith("Double click"));
        rig.hover(rig.yOfRow(1), activeLeft - 3);
        QVERIFY(rig.form->hintText().startsWith("Drag tasks"));
    }
};

QTEST_MAIN(DragTest)
#include "DragTest.moc"
