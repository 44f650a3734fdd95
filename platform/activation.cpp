#include "platform.h"

#include "activation_p.h"

#include <QByteArray>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

// What the desktops need, as the end-to-end tests measure it: openbox,
// mutter and KWin give each window of the program the keyboard when it
// opens, and so does sway with the kiosk recipe's `for_window ... focus`
// line, so the windows ask for nothing themselves. Only a window that is to
// come back to the front must ask: for a second start that knocked, and at
// start with the launcher's activation token.
//
// Qt 6.4's own QWindow::requestActivate() is a _NET_ACTIVE_WINDOW request on
// X11 and, on Wayland, an xdg-activation request with a token tied to the
// last key press or click; before the first input it sends nothing there.
// A token from another program goes to the compositor directly instead.

namespace {

void activate(QWidget &window, const QByteArray &token)
{
    // A window that closed meanwhile is left alone.
    QWindow *handle = window.windowHandle();
    if (!window.isVisible() || !handle)
        return;
    if (request_activation(*handle, token))
        return;
    window.raise();
    window.activateWindow();
}

// Waits until the window is on the screen: a compositor drops a request for
// a surface it has not mapped yet.
class WhenExposed : public QObject
{
public:
    WhenExposed(QWidget &window, QWindow &handle, const QByteArray &token)
        : QObject(&handle), window(&window), token(token)
    {
        handle.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            if (window)
                activate(*window, token);
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> window;
    QByteArray token;
};

} // namespace

void bring_to_front(QWidget &window, const QByteArray &token)
{
    QWindow *handle = window.windowHandle();
    if (handle && !handle->isExposed())
        new WhenExposed(window, *handle, token);
    else
        activate(window, token);
}
