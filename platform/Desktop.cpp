#include "platform/Desktop.h"

#include <QCoreApplication>

#include "platform/Autostart.h"
#include "platform/Launcher.h"
#include "platform/QtServices.h"
#include "platform/SessionLock.h"
#include "platform/TextEditor.h"
#include "platform/X11Keys.h"
#include "platform/X11Windows.h"
#include "platform/wayland/WaylandSession.h"

namespace wendrel {

struct Desktop::Impl {
    SystemClock clock;
    QtEventPump pump;
    QtMessageBoxes messages;
    SpawnLauncher launcher;
    std::unique_ptr<WindowActivator> activator;
    std::unique_ptr<KeySender> keys;
    DesktopTextEditor textEditor;
    DBusSessionLock sessionLock;
    XdgAutostart autostart{XdgAutostart::defaultEntryPath(), QCoreApplication::applicationFilePath().toStdString()};
    std::function<void(const std::string&)> notice;
};

Desktop::Desktop(const ProgramEnvironment* environment) : d_(std::make_unique<Impl>()) {
    d_->launcher.setEnvironment(environment);
    d_->textEditor.setEnvironment(environment);
    // A Wayland session has keystroke and window services of its own; X11
    // programs running there as guests cannot reach its native windows.
    auto notice = [d = d_.get()](const std::string& text) {
        if (d->notice) d->notice(text);
    };
    if (auto wayland = wayland::waylandSessionServices(d_->launcher, notice)) {
        d_->activator = std::move(wayland->activator);
        d_->keys = std::move(wayland->keys);
        return;
    }
    auto x11 = std::make_unique<X11WindowActivator>(&d_->launcher);
    // The windows there are at a program's start tell its new window apart.
    d_->launcher.setStartObserver([activator = x11.get()](double taskId) { activator->programStarted(taskId); });
    d_->activator = std::move(x11);
    d_->keys = std::make_unique<X11KeySender>();
}
Desktop::~Desktop() = default;

void Desktop::setOutputCaptures(OutputCaptures* captures) { d_->launcher.setOutputCaptures(captures); }

Services Desktop::services() {
    Services s;
    s.messages = &d_->messages;
    s.launcher = &d_->launcher;
    s.activator = d_->activator.get();
    s.keys = d_->keys.get();
    s.pump = &d_->pump;
    s.clock = &d_->clock;
    s.textEditor = &d_->textEditor;
    s.loginStart = &d_->autostart;
    s.sessionLock = &d_->sessionLock;
    return s;
}

void Desktop::setMainWindow(QWidget* window) { d_->messages.setParent(window); }

void Desktop::setNoticeHandler(std::function<void(const std::string&)> notice) { d_->notice = std::move(notice); }

} // namespace wendrel
