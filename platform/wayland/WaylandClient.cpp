#include "platform/wayland/WaylandClient.h"

#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>

#include "fake-input-client-protocol.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace wendrel::wayland {

std::unique_ptr<Connection> Connection::open() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return nullptr;
    std::unique_ptr<Connection> c(new Connection);
    c->display_ = display;
    c->registry_ = wl_display_get_registry(display);
    static const wl_registry_listener listener = {&Connection::global, &Connection::globalRemove};
    wl_registry_add_listener(c->registry_, &listener, c.get());
    if (!c->roundtrip()) return nullptr;
    return c;
}

Connection::~Connection() {
    if (keyboards_) zwp_virtual_keyboard_manager_v1_destroy(keyboards_);
    if (fakeInput_) org_kde_kwin_fake_input_destroy(fakeInput_);
    if (seat_) wl_seat_destroy(seat_);
    if (registry_) wl_registry_destroy(registry_);
    if (display_) wl_display_disconnect(display_);
}

void Connection::global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                        std::uint32_t version) {
    auto* c = static_cast<Connection*>(data);
    // The first seat is the user's; a desktop for one user has only one.
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !c->seat_) {
        c->seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0 && !c->keyboards_) {
        c->keyboards_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    } else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && !c->fakeInput_ &&
               version >= ORG_KDE_KWIN_FAKE_INPUT_KEYBOARD_KEY_SINCE_VERSION) {
        c->fakeInput_ =
            static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface,
                                                                   ORG_KDE_KWIN_FAKE_INPUT_KEYBOARD_KEY_SINCE_VERSION));
    }
}

bool Connection::roundtrip() { return wl_display_roundtrip(display_) >= 0 && !failed(); }

bool Connection::flush() {
    // A compositor slow to read leaves the socket full for a moment.
    while (wl_display_flush(display_) < 0) {
        if (errno != EAGAIN) return false;
        pollfd p{wl_display_get_fd(display_), POLLOUT, 0};
        if (poll(&p, 1, 1000) <= 0) return false;
    }
    return !failed();
}

bool Connection::failed() const { return wl_display_get_error(display_) != 0; }

} // namespace wendrel::wayland
