// A desktop's screen saver on the session bus, for the lock tests: answers
// GetActive, and SetActive(bool) locks or unlocks and sends ActiveChanged.
//   FakeScreenSaver freedesktop|gnome   (org.<that>.ScreenSaver)
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

namespace {
class ScreenSaver : public QDBusVirtualObject {
public:
    const QString name, path;
    bool active = false;
    explicit ScreenSaver(const QString& desktop)
        : name("org." + desktop + ".ScreenSaver"), path("/org/" + desktop + "/ScreenSaver") {}
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        if (m.member() == "SetActive" && !m.arguments().isEmpty()) {
            active = m.arguments().first().toBool();
            bus.send(QDBusMessage::createSignal(path, name, "ActiveChanged") << active);
        } else if (m.member() != "GetActive") {
            return false;
        }
        bus.send(m.createReply(active));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    ScreenSaver saver(argv[1]);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(saver.path, &saver) || !bus.registerService(saver.name)) return 1;
    return app.exec();
}
