// Failure notices on a private session bus, with a notification service of
// our own: what a failure notifies, that a repeat does not, that the
// notice's action names its task, and that nothing is sent or waited for
// when no service runs.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include "platform/DesktopNotifications.h"

using namespace wendrel;

namespace {

// The service's side: records every Notify and answers with a new id.
class FakeService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString summary, body;
        QStringList actions;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        calls.append({summary, body, actions});
        return static_cast<uint>(calls.size()) + 100;
    }
};

RunEvent failure(const std::string& task, const std::string& command) {
    return RunEvent{{}, RunEventKind::ProgramNotFound, task, "s.wdx", command, {}, {}};
}

} // namespace

class NotificationsTest : public QObject {
    Q_OBJECT
    QProcess daemon_;
    QString address_;

    QDBusConnection connect(const QString& name) { return QDBusConnection::connectToBus(address_, name); }

private slots:
    void initTestCase() {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(daemon_.waitForReadyRead(10000));
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        QVERIFY(connect("probe").isConnected());
    }
    void cleanupTestCase() {
        daemon_.terminate();
        daemon_.waitForFinished();
    }

    void aFailureIsNotifiedOnceAndItsActionNamesTheTask() {
        QDBusConnection serviceBus = connect("service");
        FakeService service;
        QVERIFY(serviceBus.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots));
        QVERIFY(serviceBus.registerService("org.freedesktop.Notifications"));

        DesktopNotifications notifier(connect("notifier"));
        std::string shown;
        notifier.setActionHandler([&](const std::string& task) { shown = task; });
        FailureNotices notices(notifier);
        for (int run = 0; run < 2; ++run) {
            notices.onRunEvent(RunEvent{{}, RunEventKind::Started, "Back<up>", "s.wdx", {}, {}, {}});
            notices.onRunEvent(failure("Back<up>", "nothere & co"));
            notices.onRunEvent(RunEvent{{}, RunEventKind::Finished, "Back<up>", "s.wdx", {}, {}, {}});
        }
        QTRY_COMPARE(service.calls.size(), 1);
        QCOMPARE(service.calls[0].summary, QString("Task \"Back<up>\" failed"));
        QCOMPARE(service.calls[0].body, QString("Could not start: nothere &amp; co"));
        QCOMPARE(service.calls[0].actions.value(0), QString("default"));

        // The user clicks the notice once its id is known.
        QTest::qWait(200);
        QDBusMessage clicked = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                          "org.freedesktop.Notifications", "ActionInvoked");
        clicked << 101u << QString("default");
        QVERIFY(serviceBus.send(clicked));
        QTRY_COMPARE(shown, std::string("Back<up>"));
        QCOMPARE(service.calls.size(), 1);
        serviceBus.unregisterService("org.freedesktop.Notifications");
    }

    void withoutServiceOrBusNothingWaits() {
        QDBusConnection bus = connect("lonely");
        QVERIFY(!bus.interface()->isServiceRegistered("org.freedesktop.Notifications"));
        DesktopNotifications onBus(bus);
        DesktopNotifications offBus(QDBusConnection("never connected"));
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 20; ++i) {
            onBus.notify({"T", "Task \"T\" failed", "x"});
            offBus.notify({"T", "Task \"T\" failed", "x"});
        }
        QVERIFY2(clock.elapsed() < 1000, "a notice waited for the bus");
        QTest::qWait(300); // the errors come back and are dropped
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    NotificationsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "NotificationsTest.moc"
