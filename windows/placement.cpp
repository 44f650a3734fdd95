#include "placement.h"

#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// The frame's top-left corner moved as little as needed for a frame of this
// size to lie wholly on area.
QPoint onto(QPoint corner, QSize frame, const QRect &area)
{
    return QPoint(std::max(area.left(), std::min(corner.x(), area.right() + 1 - frame.width())),
                  std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - frame.height())));
}

class Placement : public QObject
{
    Q_OBJECT

public:
    explicit Placement(QWidget &window) : QObject(&window), window(window) {}

    /// The screen changed: still where it was centred, it is centred anew;
    /// moved, it keeps corner, back on the screen. The widget's frame is the
    /// one of the old factor until the window manager frames it anew; the
    /// window's own is the new one.
    void fit(QPoint corner)
    {
        QWindow *handle = window.windowHandle();
        const QSize frame = handle ? handle->frameGeometry().size() : window.frameGeometry().size();
        const bool centred_still = corner == centred_at;
        target = centred_still ? centred(frame) : on_screen(corner, frame);
        if (centred_still)
            centred_at = target;
        if (handle)
            handle->setFramePosition(target);
        else
            window.move(target);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
            // Centred until the user moves it; then where it was left, back on
            // the screen if that has shrunk since.
            frame = frame_margins();
            centring = !shown_before || target == centred_at;
            if (!centring && screen() && screen()->availableGeometry() != left_on)
                target = on_screen(target, framed_size());
            shown_before = true;
            checking = true;
            place();
            break;
        case QEvent::Move:
        case QEvent::Paint:
        case QEvent::WindowActivate:
            // The window manager frames the window after it is shown, and on
            // a slow machine it may be caught halfway: reparented, but its
            // frame's extents not yet set. So the frame is looked at afresh
            // at each of these events until the window is activated, which
            // the window manager does only once it has framed the window.
            frame = frame_margins();
            if (checking)
                place();
            if (event->type() == QEvent::WindowActivate)
                checking = false;
            break;
        case QEvent::Hide:
            // Where the frame stands now, after any drag, is where it opens
            // next. The frame as last seen while shown: the window manager
            // may already be taking it off.
            checking = false;
            target = window.geometry().topLeft() - QPoint(frame.left(), frame.top());
            left_on = screen() ? screen()->availableGeometry() : QRect();
            break;
        default:
            break;
        }
        return false;
    }

private:
    /// The screen it opens on: its main window's.
    const QScreen *screen() const
    {
        return window.parentWidget() ? window.parentWidget()->screen() : window.screen();
    }

    /// The frame as the window system has it now. The widget's own idea of
    /// it is only brought up to date when the window moves or resizes.
    QMargins frame_margins() const
    {
        const QWindow *handle = window.windowHandle();
        return handle ? handle->frameMargins() : QMargins();
    }

    QSize framed_size() const { return window.size().grownBy(frame); }

    /// Moves the window so that its frame's top-left corner is at the
    /// target, centred while it is to be.
    void place()
    {
        if (centring)
            centred_at = target = centred(framed_size());
        const QPoint inside = target + QPoint(frame.left(), frame.top());
        if (window.geometry().topLeft() != inside)
            window.move(window.pos() + inside - window.geometry().topLeft());
    }

    /// The frame's top-left corner with a frame of that size centred on the
    /// available part of the screen, kept wholly on it.
    QPoint centred(QSize frame_size) const
    {
        if (!screen())
            return window.pos();
        const QRect placed = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frame_size,
                                                 screen()->availableGeometry());
        return on_screen(placed.topLeft(), frame_size);
    }

    /// The frame's top-left corner moved as little as needed for a frame of
    /// that size to lie wholly on the available part of the screen.
    QPoint on_screen(QPoint corner, QSize frame_size) const
    {
        return screen() ? onto(corner, frame_size, screen()->availableGeometry()) : corner;
    }

    QWidget &window;
    QPoint target;
    QPoint centred_at; // where it was centred last
    QRect left_on;     // the screen's free part when it was hidden
    QMargins frame;    // the frame as last seen
    bool shown_before = false;
    bool centring = false; // centred at this show, whatever the frame turns out to be
    bool checking = false; // until the window manager has framed it
};

} // namespace

void keep_placement(QWidget &window)
{
    window.installEventFilter(new Placement(window));
}

void fit_to_screen(QWidget &window, QPoint corner)
{
    if (auto *placement = window.findChild<Placement *>(QString(), Qt::FindDirectChildrenOnly)) {
        placement->fit(corner);
        return;
    }
    if (const QScreen *screen = window.screen()) {
        const QPoint placed =
            onto(corner, window.frameGeometry().size(), screen->availableGeometry());
        if (placed != window.frameGeometry().topLeft())
            window.move(placed);
    }
}

#include "placement.moc"
