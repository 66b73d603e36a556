// The X11 window and keystroke services on the display the tests run on,
// which has no window manager: activation falls back to raising the window
// and giving it the input focus. Without any display both services do
// nothing, softly.
#include <QFile>
#include <QProcess>
#include <QtTest>

#include "platform/X11Keys.h"
#include "platform/X11Windows.h"
#include "tests/core/TempFolder.h"

using namespace wendrel;

class X11ServicesTest : public QObject {
    Q_OBJECT
private slots:
    void typesIntoTheWindowOfAProgramUntilItEnds() {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("no X display");
        TempFolder dir;
        const QString file = QString::fromStdString(dir.file("typed.txt"));
        QProcess target;
        target.setProcessEnvironment([] {
            auto env = QProcessEnvironment::systemEnvironment();
            env.remove("QT_QPA_PLATFORM");
            return env;
        }());
        target.start(qEnvironmentVariable("WENDREL_TEST_BINARY_DIR") + "/TypingTarget", {file});
        QVERIFY(target.waitForStarted());
        const double pid = static_cast<double>(target.processId());

        X11WindowActivator activator;
        X11KeySender keys;
        std::string failure;
        QTRY_COMPARE_WITH_TIMEOUT(activator.activate(pid, failure), ActivateResult::Ok, 10000);
        keys.send("ok +x{TAB}{(}{LEFT 2}<");
        QTRY_COMPARE_WITH_TIMEOUT(
            [&] {
                QFile f(file);
                return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            }(),
            QByteArray("ok X<\t("), 10000);
        keys.send("{("); // malformed: nothing at all is typed
        keys.send("^q");
        QVERIFY(target.waitForFinished(10000));
        QCOMPARE(QFile(file).size(), qint64(7));
        QCOMPARE(activator.activate(pid, failure), ActivateResult::NoSuchWindow);
        QCOMPARE(activator.activate(0, failure), ActivateResult::NoSuchWindow);
    }

    void withoutADisplayNothingIsSentAndNoProgramHasAWindow() {
        const QByteArray display = qgetenv("DISPLAY");
        qunsetenv("DISPLAY");
        X11KeySender keys;
        keys.send("abc");
        X11WindowActivator activator;
        std::string failure;
        QCOMPARE(activator.activate(1234, failure), ActivateResult::NoSuchWindow);
        QVERIFY(!activator.activeWindowIsOurs());
        if (!display.isEmpty()) qputenv("DISPLAY", display);
    }
};

QTEST_MAIN(X11ServicesTest)
#include "X11ServicesTest.moc"
