// Typing into a native program with the desktop's own key sender, as the
// program picks it at its start (X11, wlroots, KWin, GNOME): how long the
// first key takes to arrive (a GNOME remote-desktop session is opened then),
// and the characters per second of 1,000 mixed characters handed over in the
// script engine's chunks, counted until the last one has arrived.
// Usage: gui_typing_rate <TypingTarget> [label]   (in the desktop session)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <cstdio>

#include "platform/Desktop.h"
#include "script/ScriptEngine.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;

namespace {

QString readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Pumps events until the file holds the text, or nothing has arrived for two
// seconds; the seconds it took.
double awaitText(const QString& file, const QString& text, QElapsedTimer& since) {
    QString got;
    QElapsedTimer still;
    still.start();
    while (got.size() < text.size() && still.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const QString now = readFile(file);
        if (now != got) got = now, still.restart();
    }
    return static_cast<double>(since.nsecsElapsed()) / 1e9 - (got.size() < text.size() ? 2.0 : 0);
}

void press(KeySender& keys, const std::string& text) {
    const std::vector<KeyStroke> strokes = *parseSendKeys(text);
    const std::span<const KeyStroke> all(strokes);
    for (std::size_t first = 0; first < all.size(); first += ScriptEngine::kTypingChunkStrokes) {
        keys.press(all.subspan(first, std::min(ScriptEngine::kTypingChunkStrokes, all.size() - first)));
        QCoreApplication::processEvents();
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const char* label = argc > 2 ? argv[2] : "desktop";
    Desktop desktop;
    KeySender& keys = *desktop.services().keys;
    TempFolder dir;
    const QString file = QString::fromStdString(dir.file("typed.txt"));
    QProcess target;
    target.start(argv[1], {file});
    // A new window gets the focus on every desktop measured; give it time to show.
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 2500) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    QElapsedTimer t;
    t.start();
    press(keys, "x");
    const double first = awaitText(file, "x", t);
    // The first key's session ends after a pause, as between two lines of a script.
    shown.restart();
    while (shown.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    std::string mixed;
    for (int i = 0; i < 50; ++i) mixed += "aZ9.-_,;:#'!Qy<>?/ E";
    t.restart();
    press(keys, mixed);
    const QString expected = "x" + QString::fromStdString(mixed);
    const double all = awaitText(file, expected, t);
    const bool exact = readFile(file) == expected;
    std::printf("%s: first key after %.0f ms; 1000 characters in %.2f s = %.0f per second, %s\n", label, first * 1000,
                all, 1000 / all, exact ? "all arrived exactly" : "NOT all as sent");
    press(keys, "^q");
    if (!target.waitForFinished(3000)) target.kill();
    target.waitForFinished();
    return exact ? 0 : 1;
}
