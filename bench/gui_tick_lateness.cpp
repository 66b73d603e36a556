// How late after the wall-clock second the main window's tick starts its
// tasks, over real one-second ticks of Timer1 (default 65). The table holds
// 200 active tasks: the first and the last are due on every tick, the 198 in
// between never during the run. The first task's start shows the tick's own
// lateness (timer delivery, clock panel); the last one's adds a walk over the
// whole table on the real clock.
// Usage: gui_tick_lateness [ticks]   (offscreen or under Xvfb)
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/QtServices.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"
#include "ui/main/Form1.h"

using namespace wendrel;

namespace {

// Microseconds after the start of the current wall-clock second.
long usIntoSecond() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count() % 1000000);
}

class TimerWatch : public QObject {
public:
    std::vector<long> tickStarts;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Timer) tickStarts.push_back(usIntoSecond());
        return false;
    }
};

void report(const char* what, std::vector<long> v) {
    if (v.empty()) {
        std::printf("%s: no samples\n", what);
        return;
    }
    std::sort(v.begin(), v.end());
    std::printf("%s over %zu ticks: min %.3f ms, median %.3f ms, max %.3f ms\n", what, v.size(), v.front() / 1000.0,
                v[v.size() / 2] / 1000.0, v.back() / 1000.0);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const size_t ticks = argc > 1 ? static_cast<size_t>(std::max(1, std::atoi(argv[1]))) : 65;

    TempFolder dir;
    SystemClock clock;
    QtEventPump pump;
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeActivator activator;
    FakeKeys keys;
    Services services;
    services.messages = &messages;
    services.launcher = &launcher;
    services.activator = &activator;
    services.keys = &keys;
    services.pump = &pump;
    services.clock = &clock;

    General g;
    Form1 form(g, dir.path(), services, Form1::Options{false, true});
    form.Form_Load();
    const DateTime now = clock.now();
    TaskRecord every;
    every.Active = 1;
    every.Interval = OtherInterval;
    every.Other = 0;
    every.MSOption = 1;
    g.slot(g.append()) = every;
    for (int i = 2; i < General::MaxTasks; ++i) {
        TaskRecord& t = g.slot(g.append());
        t.Active = 1;
        t.Interval = Daily;
        t.TimeHour = static_cast<std::int16_t>((now.hour + 12) % 24);
        t.TimeMinute = static_cast<std::int16_t>(i % 60);
    }
    g.slot(g.append()) = every;

    TimerWatch watch;
    form.Timer1->installEventFilter(&watch);
    std::vector<long> firstStarts, lastStarts;
    form.scheduler().setRunner([&](int i) {
        (i == 1 ? firstStarts : lastStarts).push_back(usIntoSecond());
        g.slot(i).Running = 0;
        if (lastStarts.size() >= ticks) QTimer::singleShot(0, &app, &QApplication::quit);
    });
    form.show();
    app.exec();
    form.Timer1->removeEventFilter(&watch);

    // The timer is aimed a little before the boundary and the tick sleeps up
    // to it: show how far before (or after) the boundary it was delivered.
    std::vector<long> lead, late;
    for (long us : watch.tickStarts) (us > 500000 ? lead.push_back(1000000 - us) : late.push_back(us));
    report("timer delivery before the second", lead);
    report("timer delivery after the second", late);
    report("slot 1 task start after the due second", firstStarts);
    report("slot 200 task start after the due second", lastStarts);
    form.close();
    return 0;
}
