#pragma once
// Keystrokes of TYPE lines on GNOME, through mutter's remote desktop interface
// on the session bus. Only the connection that made a remote-desktop session
// may use it, and the session ends with that connection: the program's own
// session-bus connection holds it while a script types. mutter presses the
// keys on a keyboard of its own with the user's layout, so each character is
// typed as the key and modifiers that give it there (its keysym alone would
// lose the Shift+AltGr level, and characters the layout lacks would vanish
// without a word). While a session runs, GNOME shows its screen-sharing
// indicator; the session is stopped once the typing has paused for a moment,
// and a user who stops it ends the TYPE line being typed.
#include <functional>
#include <memory>
#include <string>

#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/KeyStrokes.h"
#include "script/Platform.h"

namespace wendrel::wayland {

class Connection;
class SeatLayout;

class GnomeKeySender : public QObject, public KeySender {
    Q_OBJECT
public:
    explicit GnomeKeySender(std::function<void(const std::string&)> notice);
    ~GnomeKeySender() override;

    // Whether mutter offers its remote desktop on the session bus.
    static bool available();

    KeysPressed press(std::span<const KeyStroke> strokes) override;

    // A pause in the typing this long ends the session (and GNOME's
    // indicator of it).
    static constexpr int kIdleStopMilliseconds = 1500;
    // Between two strokes, so that the window keeps up.
    static constexpr unsigned kKeyDelayMicroseconds = 1000;

private slots:
    void sessionClosed();

private:
    bool open();
    void stop();
    bool key(unsigned xkbKeycode, bool down, bool wait);

    OnceNotice refused_;
    QString session_;
    bool endedByUser_ = false;
    QTimer idle_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<SeatLayout> seat_;
};

} // namespace wendrel::wayland
