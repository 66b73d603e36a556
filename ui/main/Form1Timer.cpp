// The schedule tick of the main window.
//
// Timer1 is a single-shot precise timer aimed at the next wall-clock second
// boundary, re-armed at the start of every tick. Re-arming first
// matters for two reasons: the tick lands on each second of the clock (a
// fixed 1000 ms period would drift and, now and then, skip or repeat a
// second), and a tick that runs a waiting script does not hold up the next
// one: the re-armed timer is a new timer as far as the event dispatcher is
// concerned, so its timeout is delivered from the script's event processing
// while this tick is still inside RunScript, and the ticks nest.
//
// An idle tick costs one wake-up: the timer, a few clock reads that do not
// touch the zone files (the zone is re-checked once), the walk, and the
// repaint of the clock panel alone.
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

#include "ui/main/Form1.h"

namespace wendrel {

namespace {
// A delivery this close before a boundary belongs to the coming second (the
// wall clock may be slewed against the monotonic one).
constexpr qint64 kEarlyMs = 990;

qint64 msIntoSecond() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() % 1000;
}

// If the wall clock is just before a second boundary, sleeps until it. The
// sleep is measured once, so a clock set back meanwhile cannot stretch it.
void sleepToBoundaryIfEarly() {
    using namespace std::chrono;
    const auto intoSecond = system_clock::now().time_since_epoch() % seconds(1);
    if (intoSecond < milliseconds(kEarlyMs)) return;
    std::this_thread::sleep_for(seconds(1) - intoSecond);
}
} // namespace

// Qt's timers count whole milliseconds on the monotonic clock. The wait to
// the boundary is counted from the whole millisecond the clock is in, so the
// timer is due in the first millisecond of the next second, never before it.
void Form1::scheduleNextTick() { Timer1->start(static_cast<int>(1000 - msIntoSecond())); }

void Form1::showClock(const DateTime& t) {
    // A label whose size may change asks the status bar to lay itself out
    // again on every new text, which repaints the whole bar; and a label
    // that does not fill its background has the bar and the window beneath
    // it repainted too. Once the panel has its place, its size is made fixed
    // and it paints its own background, so a new time repaints it alone.
    if (Panel1->minimumHeight() != Panel1->maximumHeight() && Panel1->isVisible()) {
        Panel1->setFixedHeight(Panel1->height());
        Panel1->setAutoFillBackground(true);
    }
    // The date and the time are formatted on their own: a QDateTime in local
    // time would have Qt look the zone up again on every tick.
    const QLocale sys = QLocale::system();
    setPanelText(1, sys.toString(QDate(t.year, t.month, t.day), "dddd dd MMMM yyyy") + ' ' +
                        sys.toString(QTime(t.hour, t.minute, t.second), "HH:mm:ss"));
}

void Form1::Timer1_Timer() {
    const bool fromTimer = sender() == Timer1;
    if (fromTimer) sleepToBoundaryIfEarly();
    // Re-arm first: the tick may run scripts that wait, and later ticks must
    // go on meanwhile (nested). A window whose ticks are driven by hand
    // leaves the timer alone.
    if (fromTimer || options_.startTimer) scheduleNextTick();
    services_.clock->recheckZone();
    showClock(services_.clock->now());
    scheduler_.Tick();
}

} // namespace wendrel
