#include "ui/tray/Tray.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QSystemTrayIcon>

#include "ui/about/Artwork.h"
#include "ui/main/Form1.h"
#include "ui/main/MainMenus.h"

namespace wendrel {

namespace {
// The X11 tray icon is a small window of Qt's own; its mouse events are the
// raw button presses and releases that the activated() signal folds together.
bool isTrayIconWindow(QObject* o) {
    return o && o->isWidgetType() && qstrcmp(o->metaObject()->className(), "QSystemTrayIconSys") == 0;
}

int mouseMessage(QEvent::Type type, Qt::MouseButton button) {
    const bool up = type == QEvent::MouseButtonRelease;
    switch (button) {
        case Qt::LeftButton:
            return up ? TrayController::kLeftButtonUp : TrayController::kLeftButtonDown;
        case Qt::RightButton:
            return up ? TrayController::kRightButtonUp : TrayController::kRightButtonDown;
        default:
            return up ? TrayController::kMiddleButtonUp : TrayController::kMiddleButtonUp - 1;
    }
}
} // namespace

TrayController::TrayController(Form1& form) : QObject(&form), form_(form) {
    // Without the hook the icon's messages have nowhere to go.
    windowProc_ = [](int, long) { return 0L; };
    trayAvailable_ = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    menuOpener_ = [this] { form_.menus().RCpopup->popup(QCursor::pos()); };
}

TrayController::~TrayController() {
    if (qApp) qApp->removeEventFilter(this);
}

void TrayController::HookWindow(QWidget* window) {
    if (hooked_) return;
    hookedWindow_ = window;
    previousProc_ = windowProc_;
    windowProc_ = [this](int message, long lParam) { return TrayWindowProc(message, lParam); };
    hooked_ = true;
    ++hookCount_;
    // The raw mouse events of the icon window come through the application.
    if (qApp) qApp->installEventFilter(this);
}

void TrayController::UnhookWindow() {
    if (!hooked_) return;
    windowProc_ = previousProc_;
    previousProc_ = nullptr;
    hooked_ = false;
    if (qApp) qApp->removeEventFilter(this);
}

long TrayController::TrayWindowProc(int message, long lParam) {
    if (!hooked_) return 0;
    if (message == kTrayCallback && lParam == kLeftButtonUp) {
        SysTrayMouseEventHandler();
        return -1;
    }
    return previousProc_ ? previousProc_(message, lParam) : 0;
}

long TrayController::deliver(int message, long lParam) { return windowProc_ ? windowProc_(message, lParam) : 0; }

void TrayController::SysTrayMouseEventHandler() {
    // The menu must belong to the foreground for a click elsewhere to close it.
    form_.activateWindow();
    if (menuOpener_) menuOpener_();
}

void TrayController::AddTrayIcon(QWidget*, const QIcon& icon, const QString& tip) {
    if (!icon_) {
        icon_ = new QSystemTrayIcon(this);
        icon_->setObjectName("TrayIcon");
        // Desktops whose tray reports only whole clicks (no raw mouse events).
        connect(icon_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason r) { onActivated(static_cast<int>(r)); });
    }
    icon_->setIcon(icon.isNull() ? programIcon() : icon);
    icon_->setToolTip(tip);
    icon_->show();
}

void TrayController::RemoveTrayIcon() {
    if (icon_) icon_->hide();
}

bool TrayController::iconShown() const { return icon_ && icon_->isVisible(); }

QString TrayController::iconTip() const { return icon_ ? icon_->toolTip() : QString(); }

void TrayController::onActivated(int reason) {
    // The X11 icon window already delivered the press and the release itself.
    if (iconIsWidget_) return;
    if (reason == QSystemTrayIcon::Trigger) deliver(kTrayCallback, kLeftButtonUp);
    else if (reason == QSystemTrayIcon::Context) deliver(kTrayCallback, kRightButtonUp);
}

bool TrayController::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if ((t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease) && isTrayIconWindow(watched)) {
        iconIsWidget_ = true;
        auto* me = static_cast<QMouseEvent*>(event);
        deliver(kTrayCallback, mouseMessage(t, me->button()));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TrayController::enterStandby() {
    if (!trayAvailable()) {
        // No tray host: an icon would never appear and the window would be
        // lost, so the window goes to the taskbar instead.
        form_.setWindowState(form_.windowState() | Qt::WindowMinimized);
        if (form_.isVisible()) form_.showMinimized();
        return;
    }
    HookWindow(&form_);
    AddTrayIcon(&form_, form_.windowIcon(), "Wendrel");
    standby_ = true;
    form_.hide();
}

void TrayController::leaveStandby() {
    UnhookWindow();
    form_.setWindowState(form_.windowState() & ~Qt::WindowMinimized);
    form_.show();
    form_.raise();
    form_.activateWindow();
    RemoveTrayIcon();
    standby_ = false;
}

void TrayController::removeBeforeExit() {
    RemoveTrayIcon();
    UnhookWindow();
    standby_ = false;
}

void Form1::SendToTray() { tray_->enterStandby(); }
void Form1::rest1_Click() { tray_->leaveStandby(); }

} // namespace wendrel
