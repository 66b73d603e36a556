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
#include <algorithm>
#include <chrono>
#include <thread>

#include "ui/main/Form1.h"

namespace wendrel {

namespace {
// Qt's precise timers are delivered one to a few milliseconds after their
// time, so the timer aims this much before the second boundary, and the tick
// sleeps the rest of the way on the wall clock itself.
constexpr qint64 kLeadMs = 5;
// A delivery this close before a boundary belongs to the coming second.
constexpr qint64 kEarlyMs = 990;

QDateTime toQDateTime(const DateTime& t) {
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
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

void Form1::scheduleNextTick() {
    // Aim a little before the next boundary; the tick waits out the rest.
    const qint64 ms = QDateTime::currentMSecsSinceEpoch() % 1000;
    Timer1->start(static_cast<int>(std::max<qint64>(0, 1000 - ms - kLeadMs)));
}

void Form1::Timer1_Timer() {
    if (unloaded_) return;  // the program is leaving
    const bool fromTimer = sender() == Timer1;
    if (fromTimer) sleepToBoundaryIfEarly();
    // Re-arm first: the tick may run scripts that wait, and later ticks must
    // go on meanwhile (nested). A window whose ticks are driven by hand
    // leaves the timer alone.
    if (fromTimer || options_.startTimer) scheduleNextTick();
    setPanelText(1, QLocale::system().toString(toQDateTime(services_.clock->now()), "dddd dd MMMM yyyy HH:mm:ss"));
    scheduler_.Tick();
}

} // namespace wendrel
