#pragma once
// A timer that fires at the start of every second of the wall clock.
//
// It is an absolute timer of the kernel on the real-time clock (timerfd),
// repeating every second from a whole second, watched by the event loop: one
// wake-up a second, on the boundary, whatever the load on the loop. Setting
// the clock cancels such a timer; it is then aimed at the next boundary of the
// new time. Where the kernel has no such timer, a Qt timer is re-armed every
// second instead. Either way each timeout is delivered by the event loop, so
// a timeout handled while an earlier one is still running (inside a nested
// event loop) nests.
#include <QObject>

class QSocketNotifier;
class QTimer;

namespace wendrel {

class SecondTimer : public QObject {
    Q_OBJECT
public:
    explicit SecondTimer(QObject* parent = nullptr);
    ~SecondTimer() override;
    void start();
    void stop();
    bool isActive() const { return active_; }

signals:
    void timeout();

private:
    void aim();
    void kernelTimerReady();
    void qtTimerFired();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* fallback_ = nullptr;
    bool active_ = false;
};

} // namespace wendrel
