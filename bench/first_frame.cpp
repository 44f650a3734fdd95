// How long a program takes from its process start to the first painted frame
// of its main window, seen from outside through the X server.
//
// The root window is painted a colour no frame of ours contains (magenta)
// before the program starts (unless an earlier run left it so). The clock starts right before fork(). The
// largest top-level window the program maps is taken for its main window;
// from its MapNotify on, six rows across the window are read back from the
// server, with a pause of a millisecond (--interval-ms) between checks. The
// frame counts as painted when those rows show no magenta (nothing of the
// root shows through any more) and more than one colour (not just a
// background fill by the server). The figure is accurate to one check
// interval, which is printed too. With --mapped it ends at the main window's
// MapNotify instead.
//
// The program is killed as soon as the frame is seen and the tool ends, so
// that its own run time (what bench/run.sh hands to hyperfine) is the start
// to the first frame plus its connection to the server and the kill.
//
// Usage: first_frame [--timeout-ms N] [--interval-ms N] [--save FILE.ppm] [--mapped]
//                    -- PROGRAM [ARGS...]
// Prints map_ms, first_frame_ms, check_interval_ms and checks as name=value
// lines. Exit status 1 when no painted frame appeared in time.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

double now_ms()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

bool x_error = false;

int note_error(Display *, XErrorEvent *)
{
    // The window may vanish between the map and a read-back; try again.
    x_error = true;
    return 0;
}

struct Sample
{
    long magenta = 0;
    long total = 0;
    std::size_t colours = 0;
};

Sample sample_rows(Display *display, Window window, int width, int height, unsigned long magenta)
{
    Sample sample;
    std::set<unsigned long> colours;
    constexpr int rows = 6;
    for (int k = 1; k <= rows; ++k) {
        const int y = height * k / (rows + 1);
        x_error = false;
        XImage *row =
            XGetImage(display, window, 0, y, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
        XSync(display, False);
        if (!row || x_error) {
            if (row)
                XDestroyImage(row);
            return {};
        }
        for (int x = 0; x < width; x += 2) {
            const unsigned long pixel = XGetPixel(row, x, 0);
            ++sample.total;
            if (pixel == magenta)
                ++sample.magenta;
            if (colours.size() < 16)
                colours.insert(pixel);
        }
        XDestroyImage(row);
    }
    sample.colours = colours.size();
    return sample;
}

bool save_ppm(Display *display, Window window, int width, int height, const char *path)
{
    XImage *image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    FILE *file = std::fopen(path, "wb");
    if (!file) {
        XDestroyImage(image);
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    const auto channel = [](unsigned long pixel, unsigned long mask) {
        if (mask == 0)
            return 0;
        int shift = 0;
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        return static_cast<int>(((pixel >> shift) & mask) * 255 / mask);
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            std::fputc(channel(pixel, image->red_mask), file);
            std::fputc(channel(pixel, image->green_mask), file);
            std::fputc(channel(pixel, image->blue_mask), file);
        }
    std::fclose(file);
    XDestroyImage(image);
    return true;
}

// At once: a program's orderly end would count in the measured run time.
void stop(pid_t child)
{
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

int usage()
{
    std::fprintf(stderr,
                 "usage: first_frame [--timeout-ms N] [--interval-ms N] [--save FILE.ppm] "
                 "[--mapped] -- PROGRAM [ARGS...]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    double timeout_ms = 10000;
    int interval_us = 1000;
    const char *save_path = nullptr;
    bool until_mapped = false;
    int first = 1;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        }
        if (std::strcmp(argv[first], "--timeout-ms") == 0 && first + 1 < argc)
            timeout_ms = std::atof(argv[++first]);
        else if (std::strcmp(argv[first], "--interval-ms") == 0 && first + 1 < argc)
            interval_us = static_cast<int>(std::atof(argv[++first]) * 1000);
        else if (std::strcmp(argv[first], "--save") == 0 && first + 1 < argc)
            save_path = argv[++first];
        else if (std::strcmp(argv[first], "--mapped") == 0)
            until_mapped = true;
        else
            return usage();
    }
    if (first >= argc)
        return usage();

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "first_frame: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(note_error);
    const Window root = DefaultRootWindow(display);
    XColor magenta{};
    magenta.red = 0xffff;
    magenta.blue = 0xffff;
    if (!XAllocColor(display, DefaultColormap(display, DefaultScreen(display)), &magenta)) {
        std::fprintf(stderr, "first_frame: cannot allocate the root colour\n");
        return 2;
    }
    // The root keeps its colour after a run, so a series of runs paints it
    // once and then only looks.
    XImage *corner = XGetImage(display, root, 0, 0, 1, 1, AllPlanes, ZPixmap);
    const bool painted_before = corner && XGetPixel(corner, 0, 0) == magenta.pixel;
    if (corner)
        XDestroyImage(corner);
    if (!painted_before) {
        XSetWindowBackground(display, root, magenta.pixel);
        XClearWindow(display, root);
    }
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);

    const double start = now_ms();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("first_frame: fork");
        return 2;
    }
    if (child == 0) {
        execvp(argv[first], argv + first);
        std::perror("first_frame: exec");
        _exit(127);
    }

    Window main_window = 0;
    int width = 0;
    int height = 0;
    double mapped = -1;
    double painted = -1;
    long checks = 0;
    double first_check = 0;
    double last_check = 0;
    while (now_ms() - start < timeout_ms) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.override_redirect)
                continue;
            XWindowAttributes attributes{};
            x_error = false;
            if (!XGetWindowAttributes(display, event.xmap.window, &attributes) || x_error)
                continue;
            if (attributes.width * attributes.height > width * height) {
                main_window = event.xmap.window;
                // Only what lies on the screen can be read back; a window
                // may reach a pixel past its edge.
                width = std::min(attributes.width, DisplayWidth(display, DefaultScreen(display)) -
                                                       std::max(0, attributes.x));
                height =
                    std::min(attributes.height, DisplayHeight(display, DefaultScreen(display)) -
                                                    std::max(0, attributes.y));
                mapped = now_ms() - start;
            }
        }
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "first_frame: the program ended before its first frame\n");
            return 1;
        }
        if (main_window && until_mapped) {
            painted = mapped;
            break;
        }
        if (main_window) {
            const Sample sample = sample_rows(display, main_window, width, height, magenta.pixel);
            const double checked = now_ms();
            if (checks++ == 0)
                first_check = checked;
            last_check = checked;
            if (sample.total > 0 && sample.magenta == 0 && sample.colours >= 2) {
                painted = checked - start;
                break;
            }
        }
        // Every check costs the X server a little, and the server is busy
        // drawing the program's first frame: a pause between checks.
        usleep(static_cast<useconds_t>(interval_us));
    }

    if (painted >= 0 && save_path && !save_ppm(display, main_window, width, height, save_path))
        std::fprintf(stderr, "first_frame: could not save %s\n", save_path);
    stop(child);
    XCloseDisplay(display);
    if (painted < 0) {
        std::fprintf(stderr, "first_frame: no painted frame within %.0f ms (mapped: %s)\n",
                     timeout_ms, mapped >= 0 ? "yes" : "no");
        return 1;
    }
    std::printf("map_ms=%.2f\nfirst_frame_ms=%.2f\ncheck_interval_ms=%.3f\nchecks=%ld\n", mapped,
                painted, checks > 1 ? (last_check - first_check) / double(checks - 1) : 0.0,
                checks);
    return 0;
}
