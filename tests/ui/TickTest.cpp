// The main window's schedule tick on the real Qt timer: it lands on the
// wall-clock second, shows the clock, and nests while a script waits in the
// event processing.
#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>
#include <QTimer>
#include <QtTest>
#include <vector>

#include "platform/QtServices.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"
#include "ui/main/Form1.h"

using namespace wendrel;

namespace {

TaskRecord everySecond() {
    TaskRecord t;
    t.Interval = OtherInterval;
    t.Other = 0;
    t.MSOption = 1;
    t.Active = 1;
    return t;
}

// Real clock and real event processing, fakes for everything a script could
// reach on the desktop.
struct Rig {
    SystemClock clock;
    QtEventPump pump;
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeActivator activator;
    FakeKeys keys;
    General g;
    TempFolder dir;
    Services services(const Clock* c = nullptr) {
        Services s;
        s.messages = &messages;
        s.launcher = &launcher;
        s.activator = &activator;
        s.keys = &keys;
        s.pump = &pump;
        s.clock = c ? c : &clock;
        return s;
    }
};

struct Start {
    int slot;
    int depth;
    qint64 wallMs;
};

} // namespace

class TickTest : public QObject {
    Q_OBJECT

private slots:
    void aSecondTickRunsWhileTheFirstIsInsideTheScript() {
        Rig rig;
        Form1 form(rig.g, rig.dir.path(), rig.services(), Form1::Options{false, true});
        form.Form_Load();
        rig.g.slot(rig.g.append()) = everySecond();
        std::vector<Start> starts;
        std::vector<QString> clockTexts;
        form.scheduler().setRunner([&](int i) {
            starts.push_back({i, form.scheduler().depth(), QDateTime::currentMSecsSinceEpoch()});
            if (form.scheduler().depth() == 1 && starts.size() == 1) {
                // The first run waits 3.2 s the way a script's WAIT does.
                QElapsedTimer waited;
                waited.start();
                while (waited.elapsed() < 3200) {
                    rig.pump.processEvents(0.05);
                    if (clockTexts.empty() || clockTexts.back() != form.panelText(1))
                        clockTexts.push_back(form.panelText(1));
                }
            }
            rig.g.slot(i).Running = 0;
        });
        QTRY_VERIFY_WITH_TIMEOUT(starts.size() >= 5, 8000);
        QCOMPARE(starts[0].depth, 1);
        // Ticks at the next three seconds ran nested in the first start's wait.
        int nested = 0;
        for (const Start& s : starts) nested += s.depth == 2;
        QVERIFY2(nested >= 3, qPrintable(QString("nested starts: %1").arg(nested)));
        QVERIFY(clockTexts.size() >= 3);
        QCOMPARE(form.scheduler().depth() <= 1, true);
    }

    void ticksLandOnConsecutiveWallClockSeconds() {
        Rig rig;
        Form1 form(rig.g, rig.dir.path(), rig.services(), Form1::Options{false, true});
        form.Form_Load();
        rig.g.slot(rig.g.append()) = everySecond();
        std::vector<qint64> at;
        form.scheduler().setRunner([&](int i) {
            at.push_back(QDateTime::currentMSecsSinceEpoch());
            rig.g.slot(i).Running = 0;
        });
        QTRY_VERIFY_WITH_TIMEOUT(at.size() >= 5, 8000);
        for (size_t k = 0; k < at.size(); ++k) {
            // Within a generous margin of the boundary on a busy machine;
            // bench/gui_tick_lateness measures the real figure.
            QVERIFY2(at[k] % 1000 < 250, qPrintable(QString("tick %1 at ms %2").arg(k).arg(at[k] % 1000)));
            if (k > 0) QCOMPARE(at[k] / 1000 - at[k - 1] / 1000, qint64(1));
        }
    }

    void theClockPanelShowsTheTickTimeWithTheSystemsNames() {
        Rig rig;
        FakeClock fake;
        fake.wall = DateTime{2026, 12, 6, 21, 5, 9};  // a Sunday
        Form1 form(rig.g, rig.dir.path(), rig.services(&fake), Form1::Options{false, false});
        form.Form_Load();
        form.Timer1_Timer();
        const QLocale sys = QLocale::system();
        QCOMPARE(form.panelText(1), sys.dayName(7) + " 06 " + sys.monthName(12) + " 2026 21:05:09");
        fake.wall = DateTime{2027, 3, 1, 7, 0, 0};
        form.Timer1_Timer();
        QCOMPARE(form.panelText(1), sys.dayName(1) + " 01 " + sys.monthName(3) + " 2027 07:00:00");
        // Ticks driven by hand leave the timer off.
        QVERIFY(!form.Timer1->isActive());
    }

    void aTickStartsTheDueTasksOfTheTableThroughTheScheduler() {
        Rig rig;
        FakeClock fake;
        fake.wall = DateTime{2026, 12, 6, 9, 30, 0};
        Form1 form(rig.g, rig.dir.path(), rig.services(&fake), Form1::Options{false, false});
        form.Form_Load();
        TaskRecord daily;
        daily.Interval = Daily;
        daily.TimeHour = 9;
        daily.TimeMinute = 30;
        daily.Active = 1;
        rig.g.slot(rig.g.append()) = daily;
        rig.g.slot(rig.g.append()) = everySecond();
        std::vector<int> started;
        form.scheduler().setRunner([&](int i) {
            started.push_back(i);
            rig.g.slot(i).Running = 0;
        });
        form.Timer1_Timer();
        fake.advance(1);
        form.Timer1_Timer();
        QCOMPARE(started, (std::vector<int>{1, 2, 2}));
    }
};

QTEST_MAIN(TickTest)
#include "TickTest.moc"
