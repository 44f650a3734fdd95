// Keys and clicks for the KWin tests: KWin offers no virtual keyboard or
// pointer of the wlroots kind, but its own fake-input protocol, which takes
// evdev key codes and absolute pointer positions.
//
// usage: kwin_input key NAME      Return, Escape, space, Shift_L or alt+LETTER
//        kwin_input type TEXT     letters (US layout, KWin's default), digits, spaces
//        kwin_input click X Y     the left button at (X, Y) of the screen
// Exit status 0 once KWin has had the input, 1 without the protocol, 2 on bad
// arguments.

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

constexpr uint32_t left_shift = 42, left_alt = 56, left_button = 0x110;

// evdev codes of the keys on a US keyboard, for the characters typed here.
uint32_t code_of(char c)
{
    static const char *const rows[] = {"1234567890", "qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static const uint32_t row_start[] = {2, 16, 30, 44};
    if (c == ' ')
        return 57;
    for (int row = 0; row < 4; ++row) {
        if (const char *at = std::strchr(rows[row], c))
            return row_start[row] + static_cast<uint32_t>(at - rows[row]);
    }
    return 0;
}

struct Key
{
    uint32_t code;
    std::vector<uint32_t> modifiers;
};

bool key_of_name(const std::string &name, Key &key)
{
    if (name == "Return")
        key = {28, {}};
    else if (name == "Escape")
        key = {1, {}};
    else if (name == "space")
        key = {57, {}};
    else if (name == "Shift_L")
        key = {left_shift, {}};
    else if (name.size() == 5 && name.compare(0, 4, "alt+") == 0)
        key = {code_of(name[4]), {left_alt}};
    else
        return false;
    return key.code != 0;
}

bool key_of_character(char c, Key &key)
{
    const bool upper = c >= 'A' && c <= 'Z';
    key = {code_of(upper ? static_cast<char>(c - 'A' + 'a') : c), {}};
    if (upper)
        key.modifiers.push_back(left_shift);
    return key.code != 0;
}

void on_global(void *data, wl_registry *registry, uint32_t name, const char *interface,
               uint32_t version)
{
    auto **input = static_cast<org_kde_kwin_fake_input **>(data);
    if (!*input && std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 &&
        version >= 4)
        *input = static_cast<org_kde_kwin_fake_input *>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void on_global_remove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registry_listener = {on_global, on_global_remove};

void pause_ms(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void press(wl_display *display, org_kde_kwin_fake_input *input, const Key &key)
{
    for (const uint32_t modifier : key.modifiers)
        org_kde_kwin_fake_input_keyboard_key(input, modifier, 1);
    // Press and release in one go: a pause between them, stretched on a busy
    // machine, would let the program repeat the key.
    org_kde_kwin_fake_input_keyboard_key(input, key.code, 1);
    org_kde_kwin_fake_input_keyboard_key(input, key.code, 0);
    for (auto modifier = key.modifiers.rbegin(); modifier != key.modifiers.rend(); ++modifier)
        org_kde_kwin_fake_input_keyboard_key(input, *modifier, 0);
    wl_display_roundtrip(display);
    pause_ms(30);
}

} // namespace

int main(int argc, char *argv[])
{
    const std::string command = argc > 1 ? argv[1] : "";
    std::vector<Key> keys;
    Key key;
    bool usable = (command == "key" && argc == 3 && key_of_name(argv[2], key)) ||
                  (command == "click" && argc == 4) || (command == "type" && argc == 3);
    if (usable && command == "key")
        keys.push_back(key);
    for (const char *c = command == "type" ? argv[2] : ""; usable && *c; ++c) {
        usable = key_of_character(*c, key);
        keys.push_back(key);
    }
    if (!usable) {
        std::fputs("usage: kwin_input key NAME | type TEXT | click X Y\n", stderr);
        return 2;
    }

    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fputs("kwin_input: no Wayland display\n", stderr);
        return 1;
    }
    org_kde_kwin_fake_input *input = nullptr;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &input);
    wl_display_roundtrip(display);
    if (!input) {
        std::fputs("kwin_input: the compositor offers no fake input (version 4)\n", stderr);
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(input, "Quendra tests", "end-to-end test input");

    if (command == "click") {
        org_kde_kwin_fake_input_pointer_motion_absolute(
            input, wl_fixed_from_int(std::atoi(argv[2])), wl_fixed_from_int(std::atoi(argv[3])));
        wl_display_roundtrip(display);
        pause_ms(100);
        for (const uint32_t state : {1u, 0u}) {
            org_kde_kwin_fake_input_button(input, left_button, state);
            wl_display_roundtrip(display);
            pause_ms(50);
        }
    }
    for (const Key &each : keys)
        press(display, input, each);

    org_kde_kwin_fake_input_destroy(input);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
