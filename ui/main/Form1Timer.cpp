// The schedule tick of the main window.
#include <QDateTime>
#include <QLocale>
#include <QTimer>

#include "ui/main/Form1.h"

namespace wendrel {

void Form1::scheduleNextTick() {
    // Aim at the next wall-clock second boundary so that no second is
    // skipped or seen twice.
    const qint64 ms = QDateTime::currentMSecsSinceEpoch() % 1000;
    Timer1->start(static_cast<int>(1000 - ms));
}

void Form1::Timer1_Timer() {
    // Re-arm first: the tick may run scripts that wait, and later ticks must
    // go on meanwhile (nested).
    scheduleNextTick();
    setPanelText(1, QLocale::system().toString(QDateTime::currentDateTime(), "dddd dd MMMM yyyy HH:mm:ss"));
    scheduler_.Tick();
}

} // namespace wendrel
