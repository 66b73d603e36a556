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

struct wl_keyboard;

namespace wendrel::wayland {

class Connection;
struct UserLayout;

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
    static void keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size);

    OnceNotice refused_, missing_;
    std::unique_ptr<Connection> connection_;
    wl_keyboard* keyboard_ = nullptr;
    std::unique_ptr<UserLayout> layout_;
};

} // namespace wendrel::wayland
