#include "platform/Signals.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "ui/main/Form1.h"

namespace wendrel {

namespace {
int pipeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // Non-blocking: if the pipe is full, a signal is already waiting there.
    [[maybe_unused]] ssize_t n = ::write(pipeFds[1], &number, 1);
    errno = saved;
}
} // namespace

ExitGuard::ExitGuard(QGuiApplication& app, Form1& form, QObject* parent)
    : QObject(parent), app_(app), form_(form) {
    if (pipeFds[0] < 0 && ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeFds[0] = pipeFds[1] = -1;
    }
    if (pipeFds[0] >= 0) {
        notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &ExitGuard::onPipeReadable);
        for (int sig : kSignals) {
            struct sigaction old {};
            ::sigaction(sig, nullptr, &old);
            if (old.sa_handler == SIG_IGN) continue;
            struct sigaction sa {};
            sa.sa_handler = onSignal;
            sigemptyset(&sa.sa_mask);
            sa.sa_flags = SA_RESTART;
            ::sigaction(sig, &sa, nullptr);
        }
    }
    // The desktop session is ending: save now, the session may end the
    // process without any further event.
    connect(&app_, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { saveForSessionEnd(); });
    // Once the window has unloaded there is nothing left to save.
    connect(&form_, &Form1::unloaded, this, [this] { closing_ = true; });
    // Whatever ends the event loop, the store is written once on the way out.
    connect(&app_, &QCoreApplication::aboutToQuit, this, [this] {
        if (ready_ && !closing_) {
            closing_ = true;
            form_.close();
        }
    });
}

ExitGuard::~ExitGuard() {
    for (int sig : kSignals) {
        struct sigaction old {};
        ::sigaction(sig, nullptr, &old);
        if (old.sa_handler == onSignal) ::signal(sig, SIG_DFL);
    }
}

void ExitGuard::setReady() {
    ready_ = true;
    if (pendingSignal_) closeMainWindow(pendingSignal_);
}

void ExitGuard::onPipeReadable() {
    unsigned char buf[64];
    ssize_t n;
    int last = 0;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0) last = buf[n - 1];
    if (last == 0) return;
    emit signalReceived(last);
    if (!ready_) {
        pendingSignal_ = last;
        return;
    }
    closeMainWindow(last);
}

void ExitGuard::closeMainWindow(int signal) {
    if (closing_) {
        // Asked again while the first request is still being carried out (a
        // message box of the unload, a script's wait): the store is written
        // by now, so end at once.
        ::_exit(128 + signal);
    }
    closing_ = true;
    form_.close();  // the unload writes the store and ends the event loop
    QCoreApplication::quit();
    // A script busy in a wait of its own does not return to the event loop;
    // once the grace time is over there is nothing left to save.
    QTimer::singleShot(graceSeconds_ * 1000, [] { ::_exit(0); });
}

void ExitGuard::saveForSessionEnd() {
    if (!ready_ || closing_) return;
    // The session may still be cancelled, so the window stays and the store is
    // written again when the program really ends.
    form_.store().write(form_.general());
}

} // namespace wendrel
