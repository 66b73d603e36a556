#pragma once
// Keystrokes of TYPE lines on KDE Plasma, through KWin's fake input. KWin
// presses the keys on its own keyboard, with the user's layout, so a
// character is typed with the key (and Shift or AltGr) that gives it there;
// a character the layout lacks cannot be typed and is left out.
#include <functional>
#include <memory>
#include <string>

#include "platform/KeyStrokes.h"
#include "script/Platform.h"

namespace wendrel::wayland {

class Connection;
class SeatLayout;

class KdeFakeInputSender : public KeySender {
public:
    explicit KdeFakeInputSender(std::function<void(const std::string&)> notice);
    ~KdeFakeInputSender() override;
    KdeFakeInputSender(const KdeFakeInputSender&) = delete;
    KdeFakeInputSender& operator=(const KdeFakeInputSender&) = delete;

    // A character that the user's layout lacks is left out, and the user is
    // told so once.
    KeysPressed press(std::span<const KeyStroke> strokes) override;

    static constexpr unsigned kKeyDelayMicroseconds = 3000;

private:
    bool connect();
    void drop();

    OnceNotice refused_, missing_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<SeatLayout> seat_;
};

} // namespace wendrel::wayland
