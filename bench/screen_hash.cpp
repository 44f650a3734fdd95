// Prints a checksum of what the X screen shows, so that a script can tell
// whether the picture changes over time without a screenshot tool.
// Usage: screen_hash   (DISPLAY names the screen)

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <cstdio>

int main()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "screen_hash: cannot open the display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    XImage *image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) {
        std::fprintf(stderr, "screen_hash: cannot read the screen\n");
        XCloseDisplay(display);
        return 2;
    }
    // FNV-1a over the pixels.
    std::uint64_t hash = 14695981039346656037ull;
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x) {
            hash ^= XGetPixel(image, x, y);
            hash *= 1099511628211ull;
        }
    std::printf("%016llx\n", static_cast<unsigned long long>(hash));
    XDestroyImage(image);
    XCloseDisplay(display);
    return 0;
}
