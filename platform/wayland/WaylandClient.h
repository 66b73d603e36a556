#pragma once
// A connection of our own to the Wayland compositor of the session, apart from
// the one the toolkit keeps for the program's windows: typing must not wait on
// the toolkit's event handling, nor disturb it.
#include <cstdint>
#include <memory>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct org_kde_kwin_fake_input;

namespace wendrel::wayland {

class Connection {
public:
    // No value when there is no compositor to talk to.
    static std::unique_ptr<Connection> open();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    wl_display* display() const { return display_; }
    wl_seat* seat() const { return seat_; }
    // The virtual keyboard manager of wlroots compositors, or null.
    zwp_virtual_keyboard_manager_v1* keyboardManager() const { return keyboards_; }
    // KWin's fake input (in a version that has keys), or null. KWin offers it
    // only to programs it trusts.
    org_kde_kwin_fake_input* kdeFakeInput() const { return fakeInput_; }

    // Waits until the compositor has handled every request sent so far.
    // False when the connection has failed (the compositor ended, or it
    // refused a request and closed the connection).
    bool roundtrip();
    // Sends what is queued; false when the connection has failed.
    bool flush();
    bool failed() const;

private:
    Connection() = default;
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version);
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboards_ = nullptr;
    org_kde_kwin_fake_input* fakeInput_ = nullptr;
};

} // namespace wendrel::wayland
