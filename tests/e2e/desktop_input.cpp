// Keys and clicks for the Wayland desktops of the end-to-end tests that
// offer no input of their own to a headless session:
//   KWin: its fake-input protocol (evdev key codes, absolute pointer
//         positions), compiled from KDE's description of it;
//   sway: wlroots' virtual pointer, declared here by hand (Debian ships no
//         description of it); sway types through wtype.
//
// usage: desktop_input key NAME            Return, Escape, space, Shift_L, alt+LETTER
//        desktop_input type TEXT           letters (US layout), digits, spaces
//        desktop_input click X Y W H       the left button at (X, Y) of a W x H screen
// Exit status 0 once the compositor has had the input, 1 without a protocol
// for it, 2 on bad arguments.

#include "fake-input-client-protocol.h"

#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

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

constexpr uint32_t left_shift = 42, left_alt = 56, left_button = 0x110;

struct Globals
{
    wl_proxy *seat = nullptr;
    wl_proxy *pointers = nullptr;
    org_kde_kwin_fake_input *fake = nullptr;
};

void on_global(void *data, wl_registry *registry, uint32_t name, const char *interface,
               uint32_t version)
{
    auto *globals = static_cast<Globals *>(data);
    if (!globals->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        globals->seat =
            static_cast<wl_proxy *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!globals->pointers && std::strcmp(interface, manager_interface.name) == 0)
        globals->pointers =
            static_cast<wl_proxy *>(wl_registry_bind(registry, name, &manager_interface, 1));
    else if (!globals->fake && version >= 4 &&
             std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        globals->fake = static_cast<org_kde_kwin_fake_input *>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void on_global_remove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registry_listener = {on_global, on_global_remove};

void pause_ms(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// evdev codes of the keys on a US keyboard (KWin's default layout).
uint32_t code_of(char c)
{
    static const char *const rows[] = {"1234567890", "qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static const uint32_t row_start[] = {2, 16, 30, 44};
    for (int row = 0; row < 4; ++row) {
        if (const char *at = std::strchr(rows[row], c))
            return row_start[row] + static_cast<uint32_t>(at - rows[row]);
    }
    return c == ' ' ? 57 : 0;
}

// A key with its modifier (0 for none); code 0 when unknown.
struct Key
{
    uint32_t modifier, code;
};

Key key_of_name(const std::string &name)
{
    if (name == "Return" || name == "Escape" || name == "space" || name == "Shift_L")
        return {0, name == "Return"   ? 28u
                   : name == "Escape" ? 1u
                   : name == "space"  ? 57u
                                      : left_shift};
    if (name.size() == 5 && name.compare(0, 4, "alt+") == 0)
        return {left_alt, code_of(name[4])};
    return {0, 0};
}

Key key_of_character(char c)
{
    if (c >= 'A' && c <= 'Z')
        return {left_shift, code_of(static_cast<char>(c - 'A' + 'a'))};
    return {0, code_of(c)};
}

void click_with_virtual_pointer(wl_display *display, const Globals &globals,
                                const uint32_t (&numbers)[4])
{
    wl_proxy *pointer = wl_proxy_marshal_flags(globals.pointers, 0, &pointer_interface, 1, 0,
                                               globals.seat, nullptr);
    wl_display_roundtrip(display);
    pause_ms(300); // the seat has just gained a pointer; the clients take it up
    uint32_t time = 1;
    const auto [x, y, width, height] = numbers;
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
    pause_ms(200); // gone again only once the clients have had the click
    wl_proxy_marshal_flags(pointer, destroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string command = argc > 1 ? argv[1] : "";
    std::vector<Key> keys;
    uint32_t numbers[4] = {};
    bool usable = false;
    if (command == "key" && argc == 3) {
        keys.push_back(key_of_name(argv[2]));
        usable = keys.back().code != 0;
    } else if (command == "type" && argc == 3) {
        usable = true;
        for (const char *c = argv[2]; *c; ++c) {
            keys.push_back(key_of_character(*c));
            usable = usable && keys.back().code != 0;
        }
    } else if (command == "click" && argc == 6) {
        for (int i = 0; i < 4; ++i)
            numbers[i] = static_cast<uint32_t>(std::strtoul(argv[i + 2], nullptr, 10));
        usable = numbers[0] < numbers[2] && numbers[1] < numbers[3];
    }
    if (!usable) {
        std::fputs("usage: desktop_input key NAME | type TEXT | click X Y WIDTH HEIGHT\n", stderr);
        return 2;
    }

    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fputs("desktop_input: no Wayland display\n", stderr);
        return 1;
    }
    Globals globals;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &globals);
    wl_display_roundtrip(display);
    int status = 0;
    if (globals.fake) {
        org_kde_kwin_fake_input_authenticate(globals.fake, "Quendra tests", "end-to-end tests");
        if (command == "click") {
            org_kde_kwin_fake_input_pointer_motion_absolute(
                globals.fake, wl_fixed_from_int(static_cast<int>(numbers[0])),
                wl_fixed_from_int(static_cast<int>(numbers[1])));
            wl_display_roundtrip(display);
            pause_ms(100);
            for (const uint32_t state : {1u, 0u}) {
                org_kde_kwin_fake_input_button(globals.fake, left_button, state);
                wl_display_roundtrip(display);
                pause_ms(50);
            }
        }
        // Press and release in one go: a pause between them, stretched on a
        // busy machine, would let the program repeat the key.
        for (const Key &key : keys) {
            for (const uint32_t state : {1u, 0u}) {
                if (key.modifier && state)
                    org_kde_kwin_fake_input_keyboard_key(globals.fake, key.modifier, state);
                org_kde_kwin_fake_input_keyboard_key(globals.fake, key.code, state);
                if (key.modifier && !state)
                    org_kde_kwin_fake_input_keyboard_key(globals.fake, key.modifier, state);
            }
            wl_display_roundtrip(display);
            pause_ms(30);
        }
        org_kde_kwin_fake_input_destroy(globals.fake);
    } else if (command == "click" && globals.seat && globals.pointers) {
        click_with_virtual_pointer(display, globals, numbers);
    } else {
        std::fputs("desktop_input: the compositor offers no input for this\n", stderr);
        status = 1;
    }
    if (globals.pointers) // the manager's own destroy request (opcode 1)
        wl_proxy_marshal_flags(globals.pointers, 1, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
    if (globals.seat)
        wl_proxy_destroy(globals.seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return status;
}
