// The schedule tick of the main window.
//
// Timer1 fires at the start of every second of the wall clock (see
// platform/SecondTimer.h), so the tick lands on each second of the clock and
// is delivered by the event loop: a tick that runs a waiting script does not
// hold up the next one, whose timeout is delivered from the script's event
// processing while this tick is still inside RunScript, and the ticks nest.
//
// An idle tick costs one wake-up: the timer, a few clock reads that do not
// touch the zone files (the zone is looked at once), the walk, the grid's
// check of the minute, and the repaint of the clock panel alone.
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QTime>

#include "session/Session.h"
#include "ui/main/Form1.h"
#include "ui/main/TaskGrid.h"

namespace wendrel {

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
    session_.tick([this](const DateTime& t) {
        showClock(t);
        grid_->clockShows(t);
    });
}

} // namespace wendrel
