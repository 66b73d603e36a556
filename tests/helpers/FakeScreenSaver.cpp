// A desktop's screen saver on the session bus, for the lock tests: answers
// GetActive and sends ActiveChanged. SIGUSR1 locks, SIGUSR2 unlocks.
//   FakeScreenSaver freedesktop|gnome   (org.<that>.ScreenSaver)
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTimer>
#include <csignal>

namespace {
volatile std::sig_atomic_t wanted = 0;

class ScreenSaver : public QDBusVirtualObject {
public:
    bool active = false;
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        if (m.member() != "GetActive") return false;
        bus.send(m.createReply(active));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString name = QString("org.%1.ScreenSaver").arg(argv[1]), path = QString("/org/%1/ScreenSaver").arg(argv[1]);
    std::signal(SIGUSR1, [](int) { wanted = 1; });
    std::signal(SIGUSR2, [](int) { wanted = 0; });
    QDBusConnection bus = QDBusConnection::sessionBus();
    ScreenSaver saver;
    if (!bus.registerVirtualObject(path, &saver) || !bus.registerService(name)) return 1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (saver.active == bool(wanted)) return;
        saver.active = wanted;
        bus.send(QDBusMessage::createSignal(path, name, "ActiveChanged") << saver.active);
    });
    poll.start(20);
    return app.exec();
}
