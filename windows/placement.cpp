#include "placement.h"

#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

class Placement : public QObject
{
public:
    explicit Placement(QWidget &window) : QObject(&window), window(window) {}

    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
            centring = !shown_before;
            shown_before = true;
            checking = true;
            frame = frame_margins();
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
            target = window.geometry().topLeft() - frame_offset(frame);
            break;
        default:
            break;
        }
        return false;
    }

private:
    /// The frame as the window system has it now. The widget's own idea of
    /// it is only brought up to date when the window moves or resizes.
    QMargins frame_margins() const
    {
        const QWindow *handle = window.windowHandle();
        return handle ? handle->frameMargins() : QMargins();
    }

    static QPoint frame_offset(const QMargins &margins) { return {margins.left(), margins.top()}; }

    /// Moves the window so that its frame's top-left corner is at the
    /// target, centred on the first show.
    void place()
    {
        if (centring)
            target = centred(frame);
        const QPoint inside = target + frame_offset(frame);
        if (window.geometry().topLeft() != inside)
            window.move(window.pos() + inside - window.geometry().topLeft());
    }

    /// The frame's top-left corner with the frame centred on the available
    /// part of the screen, kept wholly on it.
    QPoint centred(const QMargins &margins) const
    {
        const QScreen *screen = window.screen();
        if (!screen)
            return window.pos();
        const QRect area = screen->availableGeometry();
        const QSize frame = window.size().grownBy(margins);
        const QRect placed = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frame, area);
        return QPoint(
            std::max(area.left(), std::min(placed.left(), area.right() + 1 - frame.width())),
            std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - frame.height())));
    }

    QWidget &window;
    QPoint target;
    QMargins frame;
    bool shown_before = false;
    bool centring = false; // the first show: centred, whatever the frame turns out to be
    bool checking = false;
};

} // namespace

void keep_placement(QWidget &window)
{
    window.installEventFilter(new Placement(window));
}
