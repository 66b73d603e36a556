// (a) The CPU time a WAIT line costs: a script of one "WAIT n" (default 10)
// run through RunScript with the Qt event pump and the system clock, as % of
// one core (aim: under 1%).
// (b) Keystrokes per second of a 1,000-character TYPE into the typing target
// under a real X server, and how many arrived: once with text the keyboard
// layout has keys for, once with one character in four off the layout.
// Usage: gui_script_wait [seconds]   (part b needs DISPLAY; run it under
// xvfb-run, with or without a window manager)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <fstream>
#include <sys/resource.h>

#include "platform/QtServices.h"
#include "platform/X11Keys.h"
#include "platform/X11Windows.h"
#include "script/ScriptEngine.h"
#include "tests/core/TempFolder.h"
#include "tests/fakes/Fakes.h"

using namespace wendrel;

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

void waitCost(double seconds) {
    TempFolder dir;
    std::ofstream(dir.file("w.wdx"), std::ios::binary) << "WAIT " << seconds << "\r\n";
    General g;
    g.append();
    g.slot(1).ScriptFile = "w.wdx";
    g.slot(1).Running = 1;
    SystemClock clock;
    QtEventPump pump;
    FakeMessageBoxes messages;
    FakeLauncher launcher;
    FakeActivator activator;
    FakeKeys keys;
    ScriptEngine engine(g, dir.path(), ScriptEnvironment{launcher, activator, keys, messages, pump, clock});

    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    engine.RunScript(1);
    const double cpu = cpuSeconds() - cpu0;
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    std::printf("WAIT %g: %.3f s elapsed, %.4f CPU seconds, %.3f%% of one core\n", seconds, elapsed, cpu,
                100.0 * cpu / elapsed);
}

QString readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Pumps events until done() holds or the time is over.
template <class F> bool waitUntil(F done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void typingRate(const QString& helper, const char* what, const QString& text) {
    TempFolder dir;
    const QString file = QString::fromStdString(dir.file("typed.txt"));
    QProcess target;
    target.start(helper, {file});
    if (!target.waitForStarted()) {
        std::printf("%s: the typing target did not start\n", what);
        return;
    }
    X11WindowActivator activator;
    X11KeySender keys;
    std::string failure;
    const double pid = static_cast<double>(target.processId());
    if (!waitUntil([&] { return activator.activate(pid, failure) == ActivateResult::Ok; }, 10000)) {
        std::printf("%s: the typing target's window could not be activated %s\n", what, failure.c_str());
        target.kill();
        target.waitForFinished();
        return;
    }
    QElapsedTimer t;
    t.start();
    keys.press(*parseSendKeys(text.toStdString()));
    const double sendSeconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    // Everything has arrived when the file holds as much as was sent, or
    // when it has not grown for two seconds.
    QString got;
    QElapsedTimer still;
    still.start();
    waitUntil(
        [&] {
            const QString now = readFile(file);
            if (now != got) {
                got = now;
                still.restart();
            }
            return got.size() >= text.size() || still.elapsed() > 2000;
        },
        60000);
    const double arrivedSeconds = static_cast<double>(t.nsecsElapsed()) / 1e9 - (got == text ? 0 : 2.0);
    std::printf("%s: %lld keystrokes sent in %.3f s (%.0f per second), all processed after %.3f s; "
                "%lld arrived, %s\n",
                what, static_cast<long long>(text.size()), sendSeconds, text.size() / sendSeconds, arrivedSeconds,
                static_cast<long long>(got.size()), got == text ? "exactly as sent" : "NOT as sent");
    keys.press(*parseSendKeys("^q"));
    if (!target.waitForFinished(5000)) target.kill();
    target.waitForFinished();
}

} // namespace

int main(int argc, char** argv) {
    const bool haveDisplay = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!haveDisplay) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    waitCost(seconds > 0 ? seconds : 10.0);

    if (!haveDisplay) {
        std::printf("typing: skipped, no DISPLAY\n");
        return 0;
    }
    const QString helper = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath() + "/TypingTarget";
    const QString keymap =
        "The quick brown fox jumps over the lazy dog; PACK MY BOX WITH 5 DOZEN jugs! 0123456789 @#$&*_:<>?|";
    const QString offKeymap = QString::fromUtf8("Vous êtes déjà là? Ça coûte 5€ — naïve façade, Ωmega → ünïcödé. ");
    QString a, b;
    while (a.size() < 1000) a += keymap;
    while (b.size() < 1000) b += offKeymap;
    typingRate(helper, "layout text", a.left(1000));
    typingRate(helper, "text with characters off the layout", b.left(1000));
    return 0;
}
