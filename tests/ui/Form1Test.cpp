// The main window on a temporary program folder: start-up, grid, status bar,
// what it says when its files cannot be read or written, its tick, the next
// start and last run columns, and the way out of the program while scripts
// wait; and reordering tasks by dragging a grid row, the mouse events sent to
// the grid's viewport as the desktop would deliver them.
#include <algorithm>

#include "tests/ui/MainWindowRig.h"

namespace {
// An active task of interval Other with its script: due on every tick.
std::string everyTick(const std::string& script = "") { return "Waits~~5~0~0~0~0~0~0~0~0~1~1~" + script + "\r\n"; }

// A shown window on tasks T1..Tcount whose grid the test drives with the mouse.
struct DragRig : Rig {
    explicit DragRig(int count) {
        start(numberedTasks(count));
        QVERIFY(show());
    }
    QTableWidget* table() { return form->grid().table(); }
    QFrame* line() { return form->findChild<QFrame*>("Line1"); }
    int rowHeight() { return table()->rowHeight(0); }
    // The middle of a row, in viewport pixels.
    int yOfRow(int row) { return table()->rowViewportPosition(row) + rowHeight() / 2; }
    // A mouse event at height y over the second column.
    void send(QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons held) {
        sendMouse(table()->viewport(), type, QPointF(table()->columnViewportPosition(1) + 5, y), button, held);
    }
    void press(int row) { send(QEvent::MouseButtonPress, yOfRow(row), Qt::LeftButton, Qt::LeftButton); }
    void dragTo(int y) { send(QEvent::MouseMove, y, Qt::NoButton, Qt::LeftButton); }
    void release(int y) { send(QEvent::MouseButtonRelease, y, Qt::LeftButton, Qt::NoButton); }
    void hover(int y) { send(QEvent::MouseMove, y, Qt::NoButton, Qt::NoButton); }
    void dragRow(int row, int y) {
        press(row);
        dragTo(yOfRow(row) + 2);
        dragTo(y);
        release(y);
        hover(y);
    }
};

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    // The list starts empty, with one blank row; start-up problems come in
    // one message once the window is up; a change that cannot be saved says
    // so in a message box.
    void anUnusableFolderSaysWhatWentWrong() {
        Rig rig;
        Form1& form = rig.open(rig.dir.file("no-such-folder"));
        QCOMPARE(form.grid().rows(), 1);
        QVERIFY(rig.messages.shown.empty());
        form.showLoadProblems();
        QCOMPARE(rig.messages.shown.size(), size_t(1));
        form.MenuMinimize_Click();
        QCOMPARE(rig.messages.shown.size(), size_t(2));
    }

    // Exit while a script waits, with a message box and the editor of a new
    // task open above the wait: everything gives way at once, nothing is
    // asked, and the list is saved without the half-made task.
    void exitEndsWhatWaitsAndSavesWithoutAsking() {
        Rig rig;
        writeAll(rig.dir.file("wait.wdx"), "WAIT 100000\r\nMSG after the wait\r\n");
        Form1& form = rig.start(everyTick("wait.wdx"));
        QSignalSpy unloaded(&form, &Form1::unloaded);
        int boxResult = -1;
        rig.pump.onPass = [&] {
            if (rig.pump.passes != 10) return;
            QTimer::singleShot(10, [&] {
                QMessageBox box(QMessageBox::NoIcon, "Wendrel 1.00", "a message of another script");
                boxResult = box.exec();
            });
            QTimer::singleShot(100, [&] { form.menus().MenuExit->trigger(); });
            form.NewTask();
        };
        form.Timer1_Timer();
        QCOMPARE(rig.pump.passes, 10);
        QCOMPARE(unloaded.count(), 1);
        QVERIFY(boxResult != -1);
        QVERIFY(rig.messages.shown.empty());
        const std::string saved = readAll(rig.dir.file("Scripts.dat"));
        QCOMPARE(std::count(saved.begin(), saved.end(), '\n'), 1);
    }

    // The fields fill the grid; the next start and the last run follow the
    // ticks' runs and the day. An idle tick shows its time with the system's
    // day and month names and asks for no task's status; only a tick that
    // reaches a next start does.
    void theGridShowsTheTasksAndFollowsTheirRuns() {
        Rig rig;
        writeAll(rig.dir.file("s.wdx"), "EXEC nowhere\r\n");
        Form1& form = rig.start("Ten~~1~0~0~10~0~0~0~0~0~0~1~s.wdx\r\n" + taskLine("Off", 0));
        QVERIFY(rig.show());
        int asked = 0;
        form.grid().setStatusSource([&](int n) { return ++asked, rig.session->status(n); });
        auto tickAt = [&](const DateTime& t) {
            rig.clock.wall = t;
            form.Timer1_Timer();
            QTest::qWait(1);
        };
        auto next = [&] { return rig.cell(0, TaskGrid::kNextStartColumn); };
        auto last = [&] { return rig.cell(0, TaskGrid::kLastRunColumn); };
        QCOMPARE(rig.cell(1, 3), QString("t.wdx"));
        QCOMPARE(next(), QString("10:00"));
        QCOMPARE(last(), QString());
        for (int s = 1; s < 60; ++s) tickAt({2026, 12, 6, 9, 30 + s / 59, s % 59}); // on to 09:31:00
        QCOMPARE(asked, 0);
        const QLocale sys = QLocale::system();
        QCOMPARE(form.panelText(1), sys.dayName(7) + " 06 " + sys.monthName(12) + " 2026 09:31:00");
        rig.launcher.fail = true;
        tickAt({2026, 12, 6, 10, 0, 0});
        QVERIFY(asked > 0);
        QCOMPARE(last(), QString("10:00 Failed: program not found: nowhere"));
        QCOMPARE(next(), QString("Mon 10:00"));
        tickAt({2026, 12, 7, 0, 0, 1}); // a new day: the same start is today's
        QCOMPARE(next(), QString("10:00"));
        QCOMPARE(last(), QString("Sun 10:00 Failed: program not found: nowhere"));
    }

    // Run Task Now shows the run at once, in bold, and its end.
    void runTaskNowShowsTheRunAtOnce() {
        Rig rig;
        writeAll(rig.dir.file("s.wdx"), "WAIT 1\r\n");
        Form1& form = rig.start("Ten~~1~0~0~10~0~0~0~0~0~0~1~s.wdx\r\n");
        auto bold = [&] { return form.grid().table()->item(0, 0)->font().bold(); };
        QString during, hint;
        bool boldDuring = false;
        rig.pump.onPass = [&] {
            during = rig.cell(0, TaskGrid::kLastRunColumn);
            boldDuring = bold();
            hint = form.hintText();
        };
        form.runTaskNow();
        QCOMPARE(during, QString("09:30 Running"));
        QVERIFY(boldDuring);
        QCOMPARE(hint, QString("Task Ten started."));
        QCOMPARE(rig.cell(0, TaskGrid::kLastRunColumn), QString("09:30 Succeeded"));
        QVERIFY(!bold());
        QCOMPARE(form.hintText(), QString("Task Ten ended: succeeded."));
    }

    // A click is no drag, nor is a release alone a drop (the next move is).
    // The indicator marks the top edge of the row under the pointer across
    // the window and sticks to the grid's top edge above it. On a grid
    // scrolled by pixels, with a sliver of the row above showing, the drop
    // counts rows from the first row shown in full, asks, and the list does
    // not jump; Yes reorders and the indicator goes.
    void theIndicatorMarksTheRowUnderThePointerAndADropReorders() {
        DragRig rig(40);
        rig.press(1);
        rig.release(rig.yOfRow(1));
        rig.hover(rig.yOfRow(4));
        QVERIFY(!rig.line()->isVisible());
        rig.press(1);
        rig.dragTo(rig.yOfRow(4));
        QVERIFY(rig.line()->isVisible());
        const int boundary = rig.table()->y() + rig.table()->viewport()->y() + 4 * rig.rowHeight();
        QVERIFY(std::abs(rig.line()->geometry().center().y() - boundary) <= 1);
        QCOMPARE(rig.line()->width(), rig.form->centralWidget()->width());
        rig.dragTo(-300);
        QCOMPARE(rig.line()->y(), rig.table()->y());
        rig.release(-300);
        QVERIFY(rig.messages.shown.empty());
        rig.messages.answers = {MsgAnswer::No};
        rig.hover(-300); // the move after the release drops
        QCOMPARE(rig.lastMessage(), std::string("Are you sure you wish to move row 2 to row 1?"));

        rig.table()->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        rig.table()->verticalScrollBar()->setValue(10 * rig.rowHeight() - 1);
        rig.dragRow(12, rig.yOfRow(15));
        QCOMPARE(rig.lastMessage(), std::string("Are you sure you wish to move row 13 to row 15?"));
        QCOMPARE(rig.form->grid().topRow(), 10);
        QCOMPARE(rig.cell(14, 0), QString("T13"));
        QCOMPARE(rig.form->grid().row(), 14);
        QVERIFY(!rig.line()->isVisible());

        // Below the grid the drop means the last task; after a No that row is
        // current, and the list scrolls only as far as needed to show it.
        rig.messages.answers = {MsgAnswer::No};
        rig.dragRow(12, rig.table()->height() + 50);
        QCOMPARE(rig.form->grid().row(), 39);
        const QRect last = rig.table()->visualRect(rig.table()->model()->index(39, 0));
        QVERIFY(last.top() >= 0 && last.bottom() < rig.table()->viewport()->height());
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
