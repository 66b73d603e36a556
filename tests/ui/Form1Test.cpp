// The main window on a temporary program folder: start-up, grid, status bar,
// what it says when its files cannot be read or written, its tick and the way
// out of the program while scripts wait; and reordering tasks by dragging a
// grid row, the mouse events sent to the grid's viewport as the desktop would
// deliver them.
#include <algorithm>

#include "platform/QtServices.h"
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
    QWidget* viewport() { return table()->viewport(); }
    int rowHeight() { return table()->rowHeight(0); }
    // The middle of a row, in viewport pixels.
    int yOfRow(int row) { return table()->rowViewportPosition(row) + rowHeight() / 2; }
    // The current row is in view, in full.
    bool currentRowShown() {
        const QRect r = table()->visualRect(table()->model()->index(form->grid().row(), 0));
        return r.top() >= 0 && r.bottom() < viewport()->height();
    }
    // A mouse event at height y over the second column.
    void send(QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons held) {
        sendMouse(viewport(), type, QPointF(table()->columnViewportPosition(1) + 5, y), button, held);
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
    void tasksFillTheGrid() {
        Rig rig;
        Form1& form = rig.start(taskLine("Backup") + "Poll~~5~0~0~0~0~0~0~0~5~1~0~poll.wdx\r\n");
        QCOMPARE(rig.cell(0, 0), QString("Backup"));
        QCOMPARE(rig.cell(1, 2), QString("Other"));
        QCOMPARE(rig.cell(1, 3), QString("poll.wdx"));
        QCOMPARE(rig.cell(1, 4), QString("No"));
        QCOMPARE(form.hintText(), QString("Wendrel."));
    }

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

    // On the real timer a tick nests while a script waits in the event
    // processing, and every tick, nested or not, lands on its own wall-clock
    // second, close to its start.
    void aSecondTickRunsWhileTheFirstIsInsideTheScript() {
        Rig rig;
        SystemClock clock;
        QtEventPump pump;
        Services real = rig.services();
        real.pump = &pump;
        real.clock = &clock;
        writeAll(rig.dir.file("Scripts.dat"), everyTick());
        Form1& form = rig.open(rig.dir.path(), true, real, Form1::Options{false, true});
        Scheduler& scheduler = rig.session->scheduler();
        std::vector<std::pair<int, qint64>> starts; // depth and time of each start
        QStringList clockTexts;
        scheduler.setRunner([&](int i) {
            starts.push_back({scheduler.depth(), QDateTime::currentMSecsSinceEpoch()});
            const bool first = starts.size() == 1;
            QElapsedTimer waited; // the first run waits 3.2 s the way a WAIT does
            for (waited.start(); first && waited.elapsed() < 3200;) {
                pump.processEvents(0.05);
                if (!clockTexts.contains(form.panelText(1))) clockTexts << form.panelText(1);
            }
            rig.g().slot(i).Running = 0;
        });
        QTRY_VERIFY_WITH_TIMEOUT(starts.size() >= 5, 8000);
        const auto nested = std::count_if(starts.begin(), starts.end(), [](auto& s) { return s.first == 2; });
        QVERIFY2(nested >= 3, qPrintable(QString("nested starts: %1").arg(nested)));
        QVERIFY(clockTexts.size() >= 3);
        for (size_t k = 0; k < starts.size(); ++k) {
            const qint64 ms = starts[k].second;
            QVERIFY2(ms % 1000 < 250, qPrintable(QString("tick at ms %1").arg(ms % 1000)));
            if (k > 0) QCOMPARE(ms / 1000 - starts[k - 1].second / 1000, qint64(1));
        }
    }

    // A tick runs the due task, shows its time with the system's day and
    // month names, and repaints the clock panel alone.
    void aTickShowsItsTimeAndRepaintsTheClockPanelAlone() {
        Rig rig;
        rig.clock.wall = DateTime{2026, 12, 6, 21, 5, 9}; // a Sunday
        Form1& form = rig.start(everyTick());
        int runs = 0;
        rig.session->scheduler().setRunner([&](int i) { ++runs, rig.g().slot(i).Running = 0; });
        QVERIFY(rig.show());
        form.Timer1_Timer();
        const QLocale sys = QLocale::system();
        QCOMPARE(form.panelText(1), sys.dayName(7) + " 06 " + sys.monthName(12) + " 2026 21:05:09");
        QCOMPARE(runs, 1);
        QTest::qWait(50);
        struct PaintLog : QObject {
            QStringList painted;
            bool eventFilter(QObject* o, QEvent* e) override {
                if (e->type() == QEvent::Paint) painted << o->objectName();
                return false;
            }
        } log;
        qApp->installEventFilter(&log);
        for (int k = 0; k < 3; ++k) {
            rig.clock.advance(1);
            form.Timer1_Timer();
            QTest::qWait(20);
        }
        qApp->removeEventFilter(&log);
        log.painted.removeDuplicates();
        QCOMPARE(log.painted.join(","), QString("Panel1"));
    }

    // A click is no drag. The first move with the button held starts one;
    // the indicator marks the top edge of the row under the pointer across
    // the window, above the grid it sticks to the grid's top edge, and the
    // release alone does not drop. The drop asks, Yes reorders the grid, the
    // dropped task is current and the indicator goes.
    void theIndicatorMarksTheRowUnderThePointerAndADropReorders() {
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
        rig.dragRow(1, rig.yOfRow(4));
        QCOMPARE(rig.messages.shown.size(), std::size_t(1));
        QCOMPARE(rig.cell(3, 0), QString("T2"));
        QCOMPARE(rig.form->grid().row(), 3);
        QVERIFY(!rig.line()->isVisible());
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
        QCOMPARE(rig.form->grid().row(), 39);
        QVERIFY(rig.currentRowShown());
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
