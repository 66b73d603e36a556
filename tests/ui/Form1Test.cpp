// The main window on a temporary program folder: start-up, grid, status bar,
// saving after every change, what it says when its files cannot be read or
// written, its tick and the way out of the program while scripts wait.
#include <algorithm>

#include "platform/QtServices.h"
#include "tests/ui/MainWindowRig.h"

using namespace wendrel;
using namespace wendrel::testing;

namespace {
// An active task of interval Other with its script: due on every tick.
std::string everyTick(const std::string& script = "") { return "Waits~~5~0~0~0~0~0~0~0~0~1~1~" + script + "\r\n"; }
} // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void emptyFolderStartsWithOneEmptyRowAndCreatesTheFiles() {
        Rig rig;
        Form1& form = rig.open(rig.dir.path());
        QCOMPARE(form.grid().rows(), 1);
        QCOMPARE(form.grid().col(), 5);
        QCOMPARE(form.hintText(), QString("Wendrel."));
        for (const char* file : {"Scripts.dat", "Scripts.ini"})
            QVERIFY2(QFile::exists(QString::fromStdString(rig.dir.file(file))), file);
    }

    void tasksFillTheGrid() {
        Rig rig;
        Form1& form = rig.start(taskLine("Backup") + "Poll~~5~0~0~0~0~0~0~0~5~1~0~poll.wdx\r\n" + taskLine("Third"));
        const QTableWidget* table = form.grid().table();
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->item(0, 0)->text(), QString("Backup              "));
        QCOMPARE(table->item(1, 2)->text(), QString("Other"));
        QCOMPARE(table->item(1, 4)->text(), QString("No"));
        QCOMPARE(table->item(1, 3)->text(), QString("poll.wdx                 "));
        QCOMPARE(form.grid().row(), 0);
        // FillGridRow(0) rewrites every row and leaves the last one current, column 4.
        form.FillGridRow(0);
        QCOMPARE(form.grid().row(), 2);
        QCOMPARE(form.grid().col(), 4);
    }

    // Each change of the list is on disk at once, as a kill -9
    // right after it would find it; a New that is cancelled writes nothing.
    void everyChangeIsSavedAtOnce() {
        Rig rig;
        Form1& form = rig.start(numberedTasks(4));
        const std::string dat = rig.dir.file("Scripts.dat");
        auto namesOnDisk = [&] {
            QStringList names;
            for (const QString& line : QString::fromStdString(readAll(dat)).split("\r\n", Qt::SkipEmptyParts))
                names << line.left(20).trimmed();
            return names.join(' ');
        };
        form.grid().selectRow(0);
        form.ToggleActive();
        QCOMPARE(QString::fromStdString(readAll(dat)).section('~', 12, 12), QString("0"));
        form.grid().selectRow(1);
        form.DeleteTask();
        QCOMPARE(namesOnDisk(), QString("T1 T3 T4"));
        rig.inEditor([&] {
            rig.editor()->txtInput[0]->setText("Renamed");
            rig.editor()->cmdSave_Click();
        });
        QCOMPARE(namesOnDisk(), QString("T1 Renamed T4"));
        writeAll(dat, "untouched");
        rig.cancelledEditor([&] { form.NewTask(); });
        QCOMPARE(readAll(dat), std::string("untouched"));
    }

    // Start-up problems come in one message once the window is up; a change
    // that cannot be saved says so once; the exit shows nothing and leaves
    // the list in the fallback folder, created for the owner only.
    void anUnusableFolderSaysWhatWentWrongOnceAndTheExitSavesElsewhere() {
        Rig rig;
        const std::string fallback = rig.dir.file("data/wendrel");
        Form1 form(rig.g, rig.dir.file("no-such-folder"), rig.services(), {false, false});
        form.setFallbackFolder(fallback);
        form.Form_Load();
        QVERIFY(rig.messages.shown.empty());
        form.showLoadProblems();
        QCOMPARE(rig.messages.shown.size(), size_t(1));
        QVERIFY(rig.lastMessageHas("Cannot create"));
        form.MenuMinimize_Click();
        form.MenuMinimize_Click();
        QCOMPARE(rig.messages.shown.size(), size_t(2));
        QVERIFY(rig.lastMessageHas("Scripts.dat"));
        form.close();
        QCOMPARE(rig.messages.shown.size(), size_t(2));
        const QDir kept(QString::fromStdString(fallback));
        QCOMPARE(kept.entryList({"Scripts-*.dat"}).size(), qsizetype(1));
        QCOMPARE(QFile::permissions(kept.path()) & 0x0077, QFileDevice::Permissions());

        Rig tooLong; // a list too long to load says where the original is kept
        tooLong.start(numberedTasks(General::MaxTasks + 1)).showLoadProblems();
        QVERIFY(tooLong.lastMessageHas("Scripts.dat.bak"));
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
        Form1 form(rig.g, rig.dir.path(), real, Form1::Options{false, true});
        form.Form_Load();
        std::vector<std::pair<int, qint64>> starts; // depth and time of each start
        QStringList clockTexts;
        form.scheduler().setRunner([&](int i) {
            starts.push_back({form.scheduler().depth(), QDateTime::currentMSecsSinceEpoch()});
            const bool first = starts.size() == 1;
            QElapsedTimer waited; // the first run waits 3.2 s the way a WAIT does
            for (waited.start(); first && waited.elapsed() < 3200;) {
                pump.processEvents(0.05);
                if (!clockTexts.contains(form.panelText(1))) clockTexts << form.panelText(1);
            }
            rig.g.slot(i).Running = 0;
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
        form.scheduler().setRunner([&](int i) { ++runs, rig.g.slot(i).Running = 0; });
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
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
