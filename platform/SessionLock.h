#pragma once
// Whether the user's session is locked, as the desktop says over D-Bus: the
// screen saver of the desktop (org.freedesktop.ScreenSaver, as KDE and others
// offer it, and GNOME's org.gnome.ScreenSaver) on the session bus, and
// logind's LockedHint of this session on the system bus. Each is asked once,
// without waiting, and then followed through its signals, so that locked()
// answers from memory. A service that is not there, or goes away, counts as
// not locked.
#include <QObject>
#include <memory>
#include <vector>

#include "script/Platform.h"

namespace wendrel {

class LockSource;

class DBusSessionLock : public QObject, public SessionLock {
    Q_OBJECT
public:
    explicit DBusSessionLock(QObject* parent = nullptr);
    ~DBusSessionLock() override;

    // The first call asks the services (a few milliseconds, once); later
    // calls answer from what their signals have said since.
    bool locked() override;

private:
    void start();

    bool started_ = false;
    std::vector<std::unique_ptr<LockSource>> sources_;
};

} // namespace wendrel
