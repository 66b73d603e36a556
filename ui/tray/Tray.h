#pragma once
// Standby in the system tray: the icon, its menu and the hook state that
// routes the icon's clicks to the main window.
//
// The icon's mouse activity reaches the program as "messages" in the old
// notification-icon form: message kTrayCallback with the mouse message in
// lParam (kLeftButtonUp for the release of the left button). While hooked,
// TrayWindowProc sees every one of them first: a left-button release opens
// the tray menu, everything else goes on to the previous handler.
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QSystemTrayIcon;
class QWidget;

namespace wendrel {

class Form1;

class TrayController : public QObject {
    Q_OBJECT
public:
    static constexpr int kTrayCallback = 0x203;
    static constexpr int kLeftButtonDown = 0x201;
    static constexpr int kLeftButtonUp = 0x202;
    static constexpr int kRightButtonDown = 0x204;
    static constexpr int kRightButtonUp = 0x205;
    static constexpr int kMiddleButtonUp = 0x208;

    using WindowProc = std::function<long(int message, long lParam)>;

    explicit TrayController(Form1& form);
    ~TrayController() override;

    // Removes the icon and the hook before the program ends.
    void removeBeforeExit();
    // True while the main window is hidden behind the tray icon.
    bool inStandby() const { return standby_; }

    // Hook state.
    bool Hooked() const { return hooked_; }
    QWidget* HookedWindow() const { return hookedWindow_; }
    // Hooks the window once; a second call while hooked changes nothing.
    void HookWindow(QWidget* window);
    // Puts the previous handler back, only when hooked.
    void UnhookWindow();
    // The handler that was in place before the hook (what unhooking restores).
    const WindowProc& PreviousWindowProc() const { return previousProc_; }
    // The handler that receives the icon's messages when the hook does not
    // take them; the hook saves it and unhooking puts it back.
    void setWindowProc(WindowProc proc) { windowProc_ = std::move(proc); }
    const WindowProc& windowProc() const { return windowProc_; }
    // How many times the handler was replaced (one per standby).
    int hookCount() const { return hookCount_; }

    // The replacement handler: 0 when not hooked, -1 when the message opened
    // the tray menu, else whatever the previous handler returns.
    long TrayWindowProc(int message, long lParam);
    // Delivers an icon message to whatever handler is in place.
    long deliver(int message, long lParam);

    void AddTrayIcon(QWidget* window, const QIcon& icon, const QString& tip);
    void RemoveTrayIcon();
    bool iconShown() const;
    QString iconTip() const;
    QSystemTrayIcon* icon() const { return icon_; }

    // Opens the tray menu at the mouse position.
    void SysTrayMouseEventHandler();
    // Tests replace the real popup (which would wait for the user).
    void setMenuOpener(std::function<void()> opener) { menuOpener_ = std::move(opener); }

    // Whether the desktop has a tray; tests replace the check.
    void setTrayAvailable(std::function<bool()> check) { trayAvailable_ = std::move(check); }
    bool trayAvailable() const { return trayAvailable_(); }

    // Standby and restore, in the order of the main window's operations.
    void enterStandby();
    void leaveStandby();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onActivated(int reason);

    Form1& form_;
    bool standby_ = false;
    bool hooked_ = false;
    QPointer<QWidget> hookedWindow_;
    WindowProc windowProc_;
    WindowProc previousProc_;
    int hookCount_ = 0;
    bool iconIsWidget_ = false; // the X11 tray icon reports its raw mouse events
    QSystemTrayIcon* icon_ = nullptr;
    std::function<void()> menuOpener_;
    std::function<bool()> trayAvailable_;
};

} // namespace wendrel
