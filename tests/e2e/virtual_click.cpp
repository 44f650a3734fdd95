// Clicks the left button at one point of the screen through a virtual
// pointer: the headless compositor of the Wayland tests has no pointer of its
// own, and wtype only types. wlroots compositors offer virtual pointers
// through their protocol zwlr_virtual_pointer_manager_v1; its few requests
// used here are declared by hand, as Debian ships no description of it.
//
// usage: virtual_click X Y WIDTH HEIGHT
//   X, Y           the point, counted in the layout of all outputs
//   WIDTH, HEIGHT  the size of that layout
// Exit status 0 once the click has been sent, 1 when the compositor lacks a
// seat or virtual pointers, 2 on bad arguments.

#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

const wl_interface *no_types[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
extern const wl_interface pointer_interface;
const wl_interface *create_types[] = {&wl_seat_interface, &pointer_interface};

// The requests in protocol order: their position is their opcode.
const wl_message pointer_requests[] = {
    {"motion", "uff", no_types},   {"motion_absolute", "uuuuu", no_types},
    {"button", "uuu", no_types},   {"axis", "uuf", no_types},
    {"frame", "", no_types},       {"axis_source", "u", no_types},
    {"axis_stop", "uu", no_types}, {"axis_discrete", "uufi", no_types},
    {"destroy", "", no_types},
};
const wl_interface pointer_interface = {"zwlr_virtual_pointer_v1", 1, 9,
                                        pointer_requests,          0, nullptr};
const wl_message manager_requests[] = {
    {"create_virtual_pointer", "?on", create_types},
    {"destroy", "", no_types},
};
const wl_interface manager_interface = {
    "zwlr_virtual_pointer_manager_v1", 1, 2, manager_requests, 0, nullptr};

enum : uint32_t { motion_absolute = 1, button = 2, frame = 4, destroy = 8 };
constexpr uint32_t left_button = 0x110; // BTN_LEFT

struct Globals
{
    wl_proxy *seat = nullptr;
    wl_proxy *manager = nullptr;
};

void on_global(void *data, wl_registry *registry, uint32_t name, const char *interface,
               uint32_t /*version*/)
{
    auto *globals = static_cast<Globals *>(data);
    if (!globals->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        globals->seat =
            static_cast<wl_proxy *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!globals->manager && std::strcmp(interface, manager_interface.name) == 0)
        globals->manager =
            static_cast<wl_proxy *>(wl_registry_bind(registry, name, &manager_interface, 1));
}

void on_global_remove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registry_listener = {on_global, on_global_remove};

void pause_ms(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 5) {
        std::fputs("usage: virtual_click X Y WIDTH HEIGHT\n", stderr);
        return 2;
    }
    uint32_t numbers[4];
    for (int i = 0; i < 4; ++i)
        numbers[i] = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
    const auto [x, y, width, height] = numbers;
    if (width == 0 || height == 0 || x >= width || y >= height) {
        std::fputs("virtual_click: the point lies outside the layout\n", stderr);
        return 2;
    }

    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fputs("virtual_click: no Wayland display\n", stderr);
        return 1;
    }
    Globals globals;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &globals);
    wl_display_roundtrip(display);
    if (!globals.seat || !globals.manager) {
        std::fputs("virtual_click: the compositor offers no seat or no virtual pointer\n", stderr);
        return 1;
    }

    wl_proxy *pointer =
        wl_proxy_marshal_flags(globals.manager, 0, &pointer_interface, 1, 0, globals.seat, nullptr);
    wl_display_roundtrip(display);
    // The seat has just gained a pointer; the clients need a moment to take it up.
    pause_ms(300);

    uint32_t time = 1;
    wl_proxy_marshal_flags(pointer, motion_absolute, nullptr, 1, 0, time++, x, y, width, height);
    wl_proxy_marshal_flags(pointer, frame, nullptr, 1, 0);
    wl_display_roundtrip(display);
    pause_ms(100);
    for (const uint32_t state : {1u, 0u}) {
        wl_proxy_marshal_flags(pointer, button, nullptr, 1, 0, time++, left_button, state);
        wl_proxy_marshal_flags(pointer, frame, nullptr, 1, 0);
        wl_display_roundtrip(display);
        pause_ms(50);
    }
    // Gone again only once the clients have had the click.
    pause_ms(200);
    wl_proxy_marshal_flags(pointer, destroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
    // The manager's own destroy request (opcode 1); the seat and the registry
    // are only forgotten on this side.
    wl_proxy_marshal_flags(globals.manager, 1, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
    wl_proxy_destroy(globals.seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
