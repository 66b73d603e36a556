// The grid's next start and last run: what they show, that they follow the
// runs and the clock without costing the idle tick, and that Run Task Now
// shows its run at once.
#include "tests/ui/MainWindowRig.h"

using namespace wendrel;
using namespace wendrel::testing;

namespace {
// A Daily task at 10:00 running "s.wdx" (the fake clock starts on Sunday
// 6 December 2026, 09:30, in UTC).
struct StatusRig : Rig {
    explicit StatusRig(const std::string& script) {
        writeAll(dir.file("s.wdx"), script);
        start("Ten~~1~0~0~10~0~0~0~0~0~0~1~s.wdx\r\n");
    }
    QString next() { return cell(0, TaskGrid::kNextStartColumn); }
    QString last() { return cell(0, TaskGrid::kLastRunColumn); }
    bool bold() { return form->grid().table()->item(0, 0)->font().bold(); }
    void tickAt(const DateTime& t) {
        clock.wall = t;
        form->Timer1_Timer();
    }
};
} // namespace

class StatusColumnsTest : public QObject {
    Q_OBJECT

private slots:
    void theColumnsFollowTheTicksRuns() {
        StatusRig rig("EXEC nowhere\r\n");
        QCOMPARE(rig.next(), QString("10:00"));
        QCOMPARE(rig.last(), QString());
        rig.launcher.fail = true;
        rig.tickAt({2026, 12, 6, 10, 0, 0});
        QCOMPARE(rig.last(), QString("10:00 Failed: program not found: nowhere"));
        QCOMPARE(rig.next(), QString("Mon 10:00"));
        rig.tickAt({2026, 12, 7, 0, 0, 1}); // a new day: the same start is today's
        QCOMPARE(rig.next(), QString("10:00"));
        QCOMPARE(rig.last(), QString("Sun 10:00 Failed: program not found: nowhere"));
    }

    // An idle tick asks for no status; a minute asks only for the tasks
    // whose next start it reached.
    void theIdleTickComputesNoStatus() {
        StatusRig rig("");
        int asked = 0;
        rig.form->grid().setStatusSource([&](int n) {
            ++asked;
            return rig.session->status(n);
        });
        for (int s = 1; s < 59; ++s) rig.tickAt({2026, 12, 6, 9, 30, s});
        rig.tickAt({2026, 12, 6, 9, 31, 0});
        QCOMPARE(asked, 0);
        rig.tickAt({2026, 12, 6, 10, 0, 0}); // starts the task
        QVERIFY(asked > 0);
    }

    void runTaskNowShowsTheRunAtOnce() {
        StatusRig rig("WAIT 1\r\n");
        QString during, hint;
        bool boldDuring = false;
        rig.pump.onPass = [&] {
            during = rig.last();
            boldDuring = rig.bold();
            hint = rig.form->hintText();
        };
        rig.form->runTaskNow();
        QCOMPARE(during, QString("Running since 09:30"));
        QVERIFY(boldDuring);
        QCOMPARE(hint, QString("Task Ten started."));
        QCOMPARE(rig.last(), QString("09:30 Succeeded"));
        QVERIFY(!rig.bold());
        QCOMPARE(rig.form->hintText(), QString("Task Ten ended: succeeded."));
    }
};

QTEST_MAIN(StatusColumnsTest)
#include "StatusColumnsTest.moc"
