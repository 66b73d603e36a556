#pragma once
// Failure notices as desktop notifications (org.freedesktop.Notifications on
// the session bus). Each notice offers one action, "Show Run History"
// (the default action, taken when the notice itself is clicked), which
// hands the task's name to the action handler.
//
// Nothing here waits for the desktop: calls are sent without waiting for
// their reply, and when no session bus or no notification service is there,
// notices are dropped without a word (a missing service answers with an
// error that nobody waits for).
#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "session/FailureNotices.h"

namespace wendrel {

class DesktopNotifications : public QObject, public FailureNotifier {
    Q_OBJECT
public:
    // On the session bus, connected at the first notice.
    explicit DesktopNotifications(QObject* parent = nullptr);
    // On this connection (a private bus in tests).
    explicit DesktopNotifications(const QDBusConnection& bus, QObject* parent = nullptr);

    void notify(const FailureNotice& notice) override;
    // Gets the task's name when the user takes a notice's action.
    void setActionHandler(std::function<void(const std::string& task)> handler) { handler_ = std::move(handler); }

    // Notices whose action may still be taken are remembered up to this many.
    static constexpr std::size_t kRemembered = 64;

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onClosed(uint id, uint reason);

private:
    bool connectToBus();
    void remember(uint id, const std::string& task);

    std::optional<QDBusConnection> bus_;
    bool triedBus_ = false;
    std::map<uint, std::string> tasks_; // notification id -> task
    std::function<void(const std::string&)> handler_;
};

} // namespace wendrel
