#include "placement.h"

#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>

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
            if (!shown_before)
                target = centred();
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
                    target = centred();
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
            break;
        default:
            break;
        }
        return false;
    }

private:
    /// The frame's top-left corner with the frame centred on the available
    /// part of the screen, kept wholly on it.
    QPoint centred() const
    {
        const QScreen *screen = window.screen();
        if (!screen)
            return window.pos();
        const QRect area = screen->availableGeometry();
        const QSize frame = window.frameGeometry().size();
        const QRect placed = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frame, area);
        return QPoint(
            std::max(area.left(), std::min(placed.left(), area.right() + 1 - frame.width())),
            std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - frame.height())));
    }

    QWidget &window;
    QPoint target;
    bool shown_before = false;
    bool centring = true; // the first placement, until the frame is known
    bool checking = false;
};

} // namespace

void keep_placement(QWidget &window)
{
    window.installEventFilter(new Placement(window));
}
