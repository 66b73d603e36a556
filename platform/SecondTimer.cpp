#include "platform/SecondTimer.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <thread>
#include <unistd.h>

namespace wendrel {

namespace {
qint64 msIntoSecond() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() % 1000;
}
} // namespace

SecondTimer::SecondTimer(QObject* parent) : QObject(parent) {
    fd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        notifier_->setEnabled(false);
        connect(notifier_, &QSocketNotifier::activated, this, &SecondTimer::kernelTimerReady);
    } else {
        fallback_ = new QTimer(this);
        fallback_->setSingleShot(true);
        fallback_->setTimerType(Qt::PreciseTimer);
        connect(fallback_, &QTimer::timeout, this, &SecondTimer::qtTimerFired);
    }
}

SecondTimer::~SecondTimer() {
    delete notifier_;
    if (fd_ >= 0) ::close(fd_);
}

void SecondTimer::start() {
    active_ = true;
    if (notifier_) notifier_->setEnabled(true);
    aim();
}

void SecondTimer::stop() {
    active_ = false;
    if (notifier_) {
        notifier_->setEnabled(false);
        itimerspec off{};
        timerfd_settime(fd_, 0, &off, nullptr);
    } else {
        fallback_->stop();
    }
}

void SecondTimer::aim() {
    if (fallback_) {
        // Qt's timers count whole milliseconds on the monotonic clock; counted
        // from the whole millisecond the clock is in, the wait ends in the
        // first millisecond of the next second, never before it.
        fallback_->start(static_cast<int>(1000 - msIntoSecond()));
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    itimerspec every{};
    every.it_value.tv_sec = now.tv_sec + 1;
    every.it_interval.tv_sec = 1;
    timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &every, nullptr);
}

void SecondTimer::kernelTimerReady() {
    // Read first: the descriptor must not stay readable while the handler
    // runs (a nested event loop would see it again). Seconds that passed
    // unhandled (a long handler, a busy machine) give one timeout, not many.
    std::uint64_t expirations = 0;
    if (::read(fd_, &expirations, sizeof expirations) < 0) {
        if (errno != ECANCELED) return; // nothing to read after all
        aim();                          // the clock was set: aim at its next second
    }
    if (active_) emit timeout();
}

void SecondTimer::qtTimerFired() {
    // Re-armed before the handler runs, so a handler that waits in a nested
    // event loop still gets the next second's timeout.
    if (!active_) return;
    if (msIntoSecond() >= 990) {
        // Delivered just before the boundary (the wall clock is slewed against
        // the monotonic one): wait for it.
        std::this_thread::sleep_for(std::chrono::milliseconds(1000 - msIntoSecond()));
    }
    aim();
    emit timeout();
}

} // namespace wendrel
