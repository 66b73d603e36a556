#pragma once
// Standby in the system tray: the main window hides behind an icon, and a
// left click on the icon opens the tray menu (Restore, Exit). The icon's
// clicks come as QSystemTrayIcon::activated; any other click does nothing.
// Where the desktop has no tray the window is minimized instead, so it is
// never lost.
#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

class QMenu;
class QWidget;

namespace wendrel {

class TrayController : public QObject {
    Q_OBJECT
public:
    // window: hidden in standby and shown again; menu: the tray menu.
    TrayController(QWidget& window, QMenu* menu);

    // True while the main window is hidden behind the tray icon.
    bool inStandby() const { return standby_; }
    // Standby and restore, in the order of the main window's operations.
    void enterStandby();
    void leaveStandby();
    // Removes the icon before the program ends.
    void removeBeforeExit();

    void AddTrayIcon(const QIcon& icon, const QString& tip);
    void RemoveTrayIcon();
    bool iconShown() const;
    QString iconTip() const;
    QSystemTrayIcon* icon() const { return icon_; }

    // Opens the tray menu at the mouse position, the window in front so that
    // a click elsewhere closes the menu.
    void SysTrayMouseEventHandler();
    // Tests replace the real popup (which would wait for the user).
    void setMenuOpener(std::function<void()> opener) { menuOpener_ = std::move(opener); }
    // Whether the desktop has a tray; tests replace the check.
    void setTrayAvailable(std::function<bool()> check) { trayAvailable_ = std::move(check); }

signals:
    // The first time Standby minimizes the window because there is no tray,
    // so that the user can be told where it went.
    void minimizedWithoutTray();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QWidget& window_;
    bool standby_ = false;
    bool minimizedWithoutTray_ = false;
    QSystemTrayIcon* icon_ = nullptr;
    std::function<void()> menuOpener_;
    std::function<bool()> trayAvailable_;
};

} // namespace wendrel
