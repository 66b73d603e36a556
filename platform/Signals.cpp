#include "platform/Signals.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "platform/wayland/WaylandClient.h"

namespace wendrel {

namespace {
int pipeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Should the event loop not get to a signal in this time (a step that does
// not give way), the process ends by SIGALRM; every change has been saved
// when it was made, so nothing is lost but the save of the way out.
constexpr unsigned kStuckSeconds = 2;

extern "C" void onSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // Non-blocking: if the pipe is full, a signal is already waiting there.
    [[maybe_unused]] ssize_t n = ::write(pipeFds[1], &number, 1);
    ::alarm(kStuckSeconds);
    errno = saved;
}

// Set once the list is saved and the program is on its way out.
std::atomic<bool> leavingNow{false};
QtMessageHandler previousHandler = nullptr;

// Qt's Wayland platform ends the process when its connection to the
// compositor breaks, saying that the compositor died. On the way out, with
// the list saved and the compositor still there, that is no news: the
// program ends quietly, as it would have a moment later. A compositor that
// has really gone is still reported.
void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (leavingNow && type == QtWarningMsg && text.startsWith("The Wayland connection broke") &&
        wayland::Connection::open())
        ::_exit(0);
    previousHandler(type, context, text);
}

// Ends the process the way the signal would have without a handler.
[[noreturn]] void dieOf(int signal) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    ::_exit(128 + signal);
}
} // namespace

void catchExitSignals() {
    if (pipeFds[0] >= 0) return;
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeFds[0] = pipeFds[1] = -1;
        return;
    }
    ::signal(SIGALRM, SIG_DFL); // the stuck guard of onSignal
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

ExitGuard::ExitGuard(QGuiApplication& app, QObject* parent) : QObject(parent) {
    catchExitSignals();
    previousHandler = qInstallMessageHandler(onQtMessage);
    if (pipeFds[0] >= 0) {
        notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &ExitGuard::onPipeReadable);
    }
    // The desktop session is ending: save now, the session may end the
    // process without any further event.
    connect(&app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        if (ready_ && !leaving_ && actions_.save) actions_.save();
    });
    // Whatever ends the event loop, the program leaves the one way.
    connect(&app, &QCoreApplication::aboutToQuit, this, [this] {
        if (ready_ && !leaving_ && actions_.leave) actions_.leave();
    });
}

// The message handler stays: Qt's Wayland connection ends with the
// application, after the guard.
ExitGuard::~ExitGuard() {
    for (int sig : kSignals) {
        struct sigaction old {};
        ::sigaction(sig, nullptr, &old);
        if (old.sa_handler == onSignal) ::signal(sig, SIG_DFL);
    }
}

void ExitGuard::setReady(Actions actions) {
    actions_ = std::move(actions);
    ready_ = true;
}

void ExitGuard::armDeadline() {
    if (leaving_) return;
    leaving_ = true;
    leavingNow = true;
    // A thread of its own, so that it fires whatever the event loop is doing.
    std::thread([ms = graceMs_] {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        ::_exit(0);
    }).detach();
}

void ExitGuard::onPipeReadable() {
    unsigned char buf[64];
    ssize_t n;
    int last = 0;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0) last = buf[n - 1];
    if (last == 0) return;
    if (!ready_) dieOf(last);
    // Asked again while leaving: the list is saved by now.
    if (leaving_) ::_exit(0);
    if (actions_.leave) actions_.leave();
    armDeadline();
}

} // namespace wendrel
