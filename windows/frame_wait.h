#pragma once

// Qt's Wayland client before 6.4.3 destroys a window's pending frame
// callback when the window hides, while its frame-event thread may be
// destroying the same callback as the compositor's answer arrives; the
// process then aborts in libwayland. So every window of ours hides through
// hide_after_last_frame(), which first waits, briefly, until no frame of the
// window is pending.

#include <QWidget>

#include <functional>

/// How long a hide waits at most for the compositor to answer the window's
/// last frame. The answer comes within a frame, on a busy machine also
/// after more than 100 ms, and a hide that stops waiting early meets a late
/// answer; only a window the compositor does not show waits this long.
inline constexpr int frame_wait_bound_ms = 500;

/// True where hiding must wait for the last frame: on Qt's Wayland client
/// older than 6.4.3.
bool hides_wait_for_frames();

/// Runs hide once no frame of the top-level window is pending. With wait
/// false, or the window hidden, that is at once; otherwise when Qt delivers
/// the window's next update request (which it does only once the last frame
/// has been answered), at the latest bound_ms later. That update request does
/// not repaint the window, which would ask for a new frame. While one hide of
/// a window waits, further ones for it are dropped (a held key); a window
/// deleted meanwhile is not hidden.
void hide_after_last_frame(QWidget &window, std::function<void()> hide,
                           bool wait = hides_wait_for_frames(), int bound_ms = frame_wait_bound_ms);

/// A dialog whose done(), and with it accept() and reject(), hides through
/// hide_after_last_frame(): Qt's own boxes, made by the program.
template <class Box> class LastFrameDialog : public Box
{
public:
    using Box::Box;

    void done(int result) override
    {
        hide_after_last_frame(*this, [this, result] { Box::done(result); });
    }
};

/// Qt's tooltips close and delete themselves; where hides_wait_for_frames()
/// holds, both wait for the tooltip's last frame from now on.
void route_tooltip_hides();
