#include "platform/Desktop.h"

#include <QCoreApplication>

#include "platform/Autostart.h"
#include "platform/Launcher.h"
#include "platform/QtServices.h"
#include "platform/TextEditor.h"
#include "platform/X11Keys.h"
#include "platform/X11Windows.h"

namespace wendrel {

struct Desktop::Impl {
    SystemClock clock;
    QtEventPump pump;
    QtMessageBoxes messages;
    SpawnLauncher launcher;
    X11WindowActivator activator{&launcher};
    X11KeySender keys;
    DesktopTextEditor textEditor;
    XdgAutostart autostart{XdgAutostart::defaultEntryPath(), QCoreApplication::applicationFilePath().toStdString()};
};

Desktop::Desktop() : d_(std::make_unique<Impl>()) {
    // The windows there are at a program's start tell its new window apart.
    d_->launcher.setStartObserver([this](double taskId) { d_->activator.programStarted(taskId); });
}
Desktop::~Desktop() = default;

Services Desktop::services() {
    Services s;
    s.messages = &d_->messages;
    s.launcher = &d_->launcher;
    s.activator = &d_->activator;
    s.keys = &d_->keys;
    s.pump = &d_->pump;
    s.clock = &d_->clock;
    s.textEditor = &d_->textEditor;
    s.loginStart = &d_->autostart;
    return s;
}

void Desktop::setMainWindow(QWidget* window) { d_->messages.setParent(window); }

} // namespace wendrel
