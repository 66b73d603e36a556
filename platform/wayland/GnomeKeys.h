#pragma once
// Keystrokes of TYPE lines on GNOME, through mutter's remote desktop interface
// on the session bus (or, where a GNOME lacks it, the desktop portal's, which
// asks the user). Only the connection that made a remote-desktop session may
// use it, and the session ends with that connection: the program's own
// session-bus connection holds it while a script types. mutter presses the
// keys on a keyboard of its own with the user's layout, so each character is
// typed as the key and modifiers that give it there (its keysym alone would
// lose the Shift+AltGr level, and characters the layout lacks would vanish
// without a word). While a session runs, GNOME shows its screen-sharing
// indicator; the session is stopped once the typing has paused for a moment,
// and a user who stops it ends the TYPE line being typed.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/KeyStrokes.h"
#include "script/Platform.h"

namespace wendrel::wayland {

class Connection;
class SeatLayout;

// One remote-desktop session, of mutter or of the portal.
class RemoteSession {
public:
    virtual ~RemoteSession() = default;
    // Creates and starts the session; false when it was refused.
    virtual bool start() = 0;
    // One key, by its evdev code. wait: until the desktop has taken it (and
    // all before it); false when the session has gone.
    virtual bool key(unsigned evdevCode, bool down, bool wait) = 0;
    virtual void stop() = 0;
    // Where the desktop announces that the session has closed.
    QString service, path, interface;
};

class GnomeKeySender : public QObject, public KeySender {
    Q_OBJECT
public:
    enum class Kind { Mutter, Portal };
    GnomeKeySender(Kind kind, std::function<void(const std::string&)> notice);
    ~GnomeKeySender() override;

    // Which kind this session offers: mutter's own interface where it is
    // there, else the portal's; no value for neither.
    static std::optional<Kind> available();

    KeysPressed press(std::span<const KeyStroke> strokes) override;

    // A pause in the typing this long ends the session (and GNOME's
    // indicator of it).
    static constexpr int kIdleStopMilliseconds = 1500;
    // How long the windows get to take a keyboard new to the seat (only a
    // seat without a keyboard of its own gets one with each session: one
    // with a keyboard plugged in, as a user's has, needs no wait).
    static constexpr int kNewKeyboardMilliseconds = 600;
    // Between two strokes, so that the window keeps up.
    static constexpr unsigned kKeyDelayMicroseconds = 1000;

private slots:
    void sessionClosed();

private:
    bool open();
    void stop();

    Kind kind_;
    OnceNotice refused_;
    std::unique_ptr<RemoteSession> session_;
    QString restoreToken_; // the portal's, so that it asks the user once
    bool endedByUser_ = false;
    QTimer idle_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<SeatLayout> seat_;
};

} // namespace wendrel::wayland
