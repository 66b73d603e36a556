#include "ui/tray/Tray.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>
#include <utility>

#include "ui/about/Artwork.h"

namespace wendrel {

TrayController::TrayController(QWidget& window, QMenu* menu) : QObject(&window), window_(window) {
    trayAvailable_ = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    menuOpener_ = [menu] { menu->popup(QCursor::pos()); };
}

void TrayController::SysTrayMouseEventHandler() {
    window_.activateWindow();
    if (menuOpener_) menuOpener_();
}

void TrayController::AddTrayIcon(const QIcon& icon, const QString& tip) {
    if (!icon_) {
        icon_ = new QSystemTrayIcon(this);
        icon_->setObjectName("TrayIcon");
        connect(icon_, &QSystemTrayIcon::activated, this, &TrayController::onActivated);
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

// Only the left button's click opens the menu; the right button, the middle
// one and a double click do nothing.
void TrayController::onActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger && standby_) SysTrayMouseEventHandler();
}

void TrayController::enterStandby() {
    if (!trayAvailable_()) {
        // No tray host: an icon would never appear and the window would be
        // lost, so the window goes to the taskbar instead.
        window_.setWindowState(window_.windowState() | Qt::WindowMinimized);
        if (window_.isVisible()) window_.showMinimized();
        if (!std::exchange(minimizedWithoutTray_, true)) emit minimizedWithoutTray();
        return;
    }
    AddTrayIcon(window_.windowIcon(), "Wendrel");
    standby_ = true;
    window_.hide();
}

void TrayController::leaveStandby() {
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    window_.raise();
    window_.activateWindow();
    RemoveTrayIcon();
    standby_ = false;
}

void TrayController::removeBeforeExit() {
    RemoveTrayIcon();
    standby_ = false;
}

} // namespace wendrel
