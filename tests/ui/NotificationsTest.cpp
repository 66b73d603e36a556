// Failure notices on a private session bus with a notification service of
// our own: what a failure notifies, that a repeat does not, that the
// notice's action names its task, and that nothing waits when no service runs.
#include <QDBusMessage>
#include <QtTest>

#include "platform/DesktopNotifications.h"

using namespace wendrel;

// The service's side: records every Notify and answers with ids from 101.
class FakeService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList calls; // summary | body | first action
public slots:
    // NOLINTNEXTLINE(readability-identifier-naming): the service's method name
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        calls.append(summary + " | " + body + " | " + actions.value(0));
        return static_cast<uint>(calls.size()) + 100;
    }
};

class NotificationsTest : public QObject {
    Q_OBJECT
    QProcess daemon_;
    QDBusConnection bus(const QString& name) {
        static const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
        return QDBusConnection::connectToBus(address, name);
    }

private slots:
    void initTestCase() {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(daemon_.waitForReadyRead(10000));
    }
    void cleanupTestCase() {
        daemon_.kill();
        daemon_.waitForFinished();
    }

    void aFailureIsNotifiedOnceAndItsActionNamesTheTask() {
        QDBusConnection serviceBus = bus("service");
        FakeService service;
        serviceBus.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots);
        QVERIFY(serviceBus.registerService("org.freedesktop.Notifications"));
        DesktopNotifications notifier(bus("notifier"));
        std::string shown;
        notifier.setActionHandler([&](const std::string& task) { shown = task; });
        FailureNotices notices(notifier);
        for (int run = 0; run < 2; ++run)
            for (RunEventKind kind : {RunEventKind::Started, RunEventKind::ProgramNotFound, RunEventKind::Finished})
                notices.onRunEvent(RunEvent{{}, kind, "Back<up>", "s.wdx", "nothere & co", {}, {}});
        QTRY_COMPARE(service.calls,
                     QStringList{"Task \"Back<up>\" failed | Could not start: nothere &amp; co | default"});

        QTest::qWait(200); // the notice's id has come back
        QDBusMessage clicked = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                          "org.freedesktop.Notifications", "ActionInvoked");
        QVERIFY(serviceBus.send(clicked << 101u << QString("default")));
        QTRY_COMPARE(shown, std::string("Back<up>"));
        QCOMPARE(service.calls.size(), 1); // the repeat came no later
        serviceBus.unregisterService("org.freedesktop.Notifications");
    }

    void withoutServiceOrBusNothingWaits() {
        DesktopNotifications onBus(bus("lonely"));
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

QTEST_GUILESS_MAIN(NotificationsTest)

#include "NotificationsTest.moc"
