// Desktop services at the edges of time and processes: the second timer after
// the wall clock is set, the exit deadline of a program held on its way out,
// and a started program's pid taken by another process after it ended.
//
// A change of the wall clock cannot be made without disturbing the whole
// machine, so this program plays the kernel's part: it stands in for read()
// and timerfd_create(), and when told to, answers the timer's next read as
// the kernel does after the clock was set (ECANCELED) and disarms the timer,
// whose old aim the new time may be hours away from.
#include <QGuiApplication>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <linux/sched.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Launcher.h"
#include "platform/SecondTimer.h"
#include "platform/Signals.h"

namespace {
std::atomic<int> lastTimerFd{-1};
std::atomic<bool> clockSet{false};
} // namespace

extern "C" int timerfd_create(int clockId, int flags) {
    const int fd = static_cast<int>(::syscall(SYS_timerfd_create, clockId, flags));
    lastTimerFd = fd;
    return fd;
}

extern "C" ssize_t read(int fd, void* buffer, size_t size) {
    const ssize_t n = ::syscall(SYS_read, fd, buffer, size);
    if (fd >= 0 && fd == lastTimerFd && n > 0 && clockSet.exchange(false)) {
        itimerspec off{};
        ::syscall(SYS_timerfd_settime, fd, 0, &off, nullptr);
        errno = ECANCELED;
        return -1;
    }
    return n;
}

using namespace wendrel;

namespace {
// The deadline test's child: on its way out, held by a step that never gives
// way. With "signal", it waits in its event loop for a further signal instead.
int heldOnTheWayOut(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ExitGuard guard(app);
    const bool waitForSignal = argc > 2 && std::strcmp(argv[2], "signal") == 0;
    guard.setReady({[] {}, [] {}});
    guard.setGraceMilliseconds(waitForSignal ? 60000 : 300);
    guard.armDeadline();
    std::puts("leaving");
    std::fflush(stdout);
    if (waitForSignal) return app.exec() + 10;
    for (;;) ::pause();
}

// Starts a process with the given pid (free at the moment) that leads a
// process group of that number and sleeps; 0 where pids cannot be chosen.
pid_t startWithPid(pid_t pid) {
    clone_args args{};
    args.exit_signal = SIGCHLD;
    args.set_tid = reinterpret_cast<std::uintptr_t>(&pid);
    args.set_tid_size = 1;
    const long child = ::syscall(SYS_clone3, &args, sizeof args);
    if (child == 0) {
        ::setpgid(0, 0);
        ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child > 0 ? static_cast<pid_t>(child) : 0;
}
} // namespace

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    // Each timeout lands close to the start of a wall-clock second of its
    // own, also after the clock was set.
    void theSecondTimerGoesOnAfterTheClockIsSet() {
        SecondTimer timer;
        QList<qint64> at;
        QObject::connect(&timer, &SecondTimer::timeout, [&] { at << QDateTime::currentMSecsSinceEpoch(); });
        QSignalSpy timeouts(&timer, &SecondTimer::timeout);
        timer.start();
        for (int k = 0; k < 2; ++k) QVERIFY(timeouts.wait(2000));
        QCOMPARE(at[1] / 1000 - at[0] / 1000, qint64(1));
        QVERIFY2(at[1] % 1000 < 250, qPrintable(QString("at ms %1").arg(at[1] % 1000)));
        clockSet = true;
        for (int k = 0; k < 3; ++k) QVERIFY2(timeouts.wait(1500), "no timeout after the clock was set");
        QVERIFY(!clockSet);
    }

    // Either way it ends normally; a further signal ends it at once, well
    // before the two seconds after which a stuck process ends by SIGALRM.
    void aProgramHeldOnItsWayOutEndsAtTheDeadlineOrAtAFurtherSignal() {
        for (const QString how : {"deadline", "signal"}) {
            QProcess held;
            held.start(QCoreApplication::applicationFilePath(), {"--held-on-the-way-out", how});
            QVERIFY(held.waitForReadyRead(5000));
            if (how == "signal") ::kill(static_cast<pid_t>(held.processId()), SIGTERM);
            QVERIFY2(held.waitForFinished(how == "signal" ? 1500 : 5000), qPrintable(how + " did not end it"));
            QCOMPARE(held.exitStatus(), QProcess::NormalExit);
            QCOMPARE(held.exitCode(), 0);
        }
    }

    void aPidTakenByAnotherProgramIsNotTheEndedOne() {
        SpawnLauncher launcher;
        const std::optional<double> id = launcher.start("true");
        QVERIFY(id);
        QTRY_VERIFY(launcher.exitStatus(*id));
        QTest::qWait(50); // a start time of its own, in the kernel's ticks
        const pid_t other = startWithPid(static_cast<pid_t>(*id));
        if (other == 0) QSKIP("the pid of a new process cannot be chosen here");
        QTRY_VERIFY(QFile::symLinkTarget(QString("/proc/%1/exe").arg(other)).endsWith("sleep"));
        const bool running = launcher.isRunning(*id);
        ::kill(other, SIGKILL);
        ::waitpid(other, nullptr, 0);
        QVERIFY(!running);
    }
};

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--held-on-the-way-out") == 0) return heldOnTheWayOut(argc, argv);
    QGuiApplication app(argc, argv);
    PlatformTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PlatformTest.moc"
