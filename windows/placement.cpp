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
            if (!shown_before || target == centred_at)
                centred_at = target = centred();
            else if (screen() && screen()->availableGeometry() != left_on)
                target = on_screen(target);
            shown_before = true;
            window.move(target);
            checking = true;
            break;
        case QEvent::Move:
        case QEvent::Paint:
        case QEvent::WindowActivate:
            // Once the window manager has framed the window (by its first
            // paint or activation at the latest), the frame goes where it
            // belongs: its size is known now.
            if (checking && window.frameGeometry() != window.geometry()) {
                checking = false;
                if (centring)
                    centred_at = target = centred();
                centring = false;
                if (window.frameGeometry().topLeft() != target)
                    window.move(target);
            }
            break;
        case QEvent::Hide:
            // Where the frame stands now, after any drag, is where it opens next.
            checking = false;
            centring = false;
            target = window.frameGeometry().topLeft();
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

    /// The frame's top-left corner with a frame of that size centred on the
    /// available part of the screen, kept wholly on it.
    QPoint centred() const { return centred(window.frameGeometry().size()); }
    QPoint centred(QSize frame) const
    {
        if (!screen())
            return window.pos();
        const QRect placed = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frame,
                                                 screen()->availableGeometry());
        return on_screen(placed.topLeft(), frame);
    }

    /// The frame's top-left corner moved as little as needed for a frame of
    /// that size to lie wholly on the available part of the screen.
    QPoint on_screen(QPoint corner) const
    {
        return on_screen(corner, window.frameGeometry().size());
    }
    QPoint on_screen(QPoint corner, QSize frame) const
    {
        return screen() ? onto(corner, frame, screen()->availableGeometry()) : corner;
    }

    QWidget &window;
    QPoint target;
    QPoint centred_at; // where it was centred last
    QRect left_on;     // the screen's free part when it was hidden
    bool shown_before = false;
    bool centring = true; // the first placement, until the frame is known
    bool checking = false;
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
