// The main window's tick on the real Qt timer: it nests while a script waits
// in the event processing, lands on consecutive wall-clock seconds, shows
// the clock with the system's names and repaints nothing else.
#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>
#include <QtTest>
#include <vector>

#include "platform/QtServices.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"
#include "ui/main/Form1.h"

using namespace wendrel;

class TickTest : public QObject {
    Q_OBJECT

    FakeDesktop fakes;
    SystemClock clock;
    QtEventPump pump;
    General g;
    TempFolder dir;
    struct Start {
        int depth;
        qint64 ms;
    };
    std::vector<Start> starts;

    // A window on the real timer with one task that is due on every tick.
    std::unique_ptr<Form1> window(const Clock* c, bool timer) {
        g = General();
        starts.clear();
        Services real = fakes.services();
        real.pump = &pump;
        real.clock = c;
        auto form = std::make_unique<Form1>(g, dir.path(), real, Form1::Options{false, timer});
        form->Form_Load();
        TaskRecord& t = g.slot(g.append());
        t.Interval = OtherInterval;
        t.MSOption = 1;
        t.Active = 1;
        return form;
    }

private slots:
    void aSecondTickRunsWhileTheFirstIsInsideTheScript() {
        auto form = window(&clock, true);
        QStringList clockTexts;
        form->scheduler().setRunner([&](int i) {
            starts.push_back({form->scheduler().depth(), QDateTime::currentMSecsSinceEpoch()});
            const bool first = starts.size() == 1;
            QElapsedTimer waited; // the first run waits 3.2 s the way a WAIT does
            for (waited.start(); first && waited.elapsed() < 3200;) {
                pump.processEvents(0.05);
                if (!clockTexts.contains(form->panelText(1))) clockTexts << form->panelText(1);
            }
            g.slot(i).Running = 0;
        });
        QTRY_VERIFY_WITH_TIMEOUT(starts.size() >= 5, 8000);
        int nested = 0;
        for (const Start& s : starts) nested += s.depth == 2;
        QVERIFY2(nested >= 3, qPrintable(QString("nested starts: %1").arg(nested)));
        QVERIFY(clockTexts.size() >= 3);
        // Every tick, nested or not, landed on its own second, close to its start.
        for (size_t k = 0; k < starts.size(); ++k) {
            QVERIFY2(starts[k].ms % 1000 < 250, qPrintable(QString("tick at ms %1").arg(starts[k].ms % 1000)));
            if (k > 0) QCOMPARE(starts[k].ms / 1000 - starts[k - 1].ms / 1000, qint64(1));
        }
    }

    // A tick runs the due task, shows its time with the system's day and
    // month names, and repaints the clock panel alone.
    void aTickShowsItsTimeAndRepaintsTheClockPanelAlone() {
        FakeClock fake;
        fake.wall = DateTime{2026, 12, 6, 21, 5, 9}; // a Sunday
        auto form = window(&fake, false);
        form->scheduler().setRunner([&](int i) { starts.push_back({0, 0}), g.slot(i).Running = 0; });
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->Timer1_Timer();
        const QLocale sys = QLocale::system();
        QCOMPARE(form->panelText(1), sys.dayName(7) + " 06 " + sys.monthName(12) + " 2026 21:05:09");
        QCOMPARE(starts.size(), size_t(1));
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
            fake.advance(1);
            form->Timer1_Timer();
            QTest::qWait(20);
        }
        qApp->removeEventFilter(&log);
        log.painted.removeDuplicates();
        QCOMPARE(log.painted.join(","), QString("Panel1"));
    }
};

QTEST_MAIN(TickTest)
#include "TickTest.moc"
