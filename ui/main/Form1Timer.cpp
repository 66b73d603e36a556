// The schedule tick of the main window.
//
// Timer1 is a single-shot precise timer aimed at the next wall-clock second
// boundary, re-armed at the start of every tick. Re-arming first matters for
// two reasons: the tick lands on each second of the clock (a fixed 1000 ms
// period would drift and, now and then, skip or repeat a second), and a tick
// that runs a waiting script does not hold up the next one: the re-armed
// timer is a new timer as far as the event dispatcher is concerned, so its
// timeout is delivered from the script's event processing while this tick is
// still inside RunScript, and the ticks nest.
#include <QDateTime>
#include <QLocale>
#include <QTimer>

#include "ui/main/Form1.h"

namespace wendrel {

namespace {
// A tick that finds the wall clock this close before a second boundary was
// delivered early (or the clock was slewed): it waits for the boundary
// instead of showing, and ticking in, the second it has already had.
constexpr qint64 kEarlyMs = 990;

QDateTime toQDateTime(const DateTime& t) {
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
}
} // namespace

void Form1::scheduleNextTick() {
    // Milliseconds into the current second, truncated, so the timer aims at
    // or just after the boundary, never before it.
    const qint64 ms = QDateTime::currentMSecsSinceEpoch() % 1000;
    Timer1->start(static_cast<int>(1000 - ms));
}

void Form1::Timer1_Timer() {
    const bool fromTimer = sender() == Timer1;
    if (fromTimer && QDateTime::currentMSecsSinceEpoch() % 1000 >= kEarlyMs) {
        scheduleNextTick();
        return;
    }
    // Re-arm first: the tick may run scripts that wait, and later ticks must
    // go on meanwhile (nested). A window whose ticks are driven by hand
    // leaves the timer alone.
    if (fromTimer || options_.startTimer) scheduleNextTick();
    setPanelText(1, QLocale::system().toString(toQDateTime(services_.clock->now()), "dddd dd MMMM yyyy HH:mm:ss"));
    scheduler_.Tick();
}

} // namespace wendrel
