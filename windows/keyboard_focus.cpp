#include "keyboard_focus.h"

#include "wayland_activation.h"

#include <QByteArray>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

// Qt 6.4's own QWindow::requestActivate() is a _NET_ACTIVE_WINDOW request on
// X11 and, on Wayland, an xdg-activation request with a token tied to the
// last key press or click; before the first input it sends nothing there.
// A token from another program goes to the compositor directly instead.

namespace {

// A startup id ends in "_TIME" and the X server time of the click that
// launched it: activating with that time is what lets a window manager with
// focus-stealing prevention grant the request.
void use_startup_time(const QByteArray &startup_id)
{
    static const QRegularExpression time_part(QStringLiteral("_TIME([0-9]+)$"));
    const QRegularExpressionMatch match = time_part.match(QString::fromLatin1(startup_id));
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!match.hasMatch() || !native || !screen)
        return;
    using SetTime = void (*)(QScreen *, quint32);
    // Qt hands its platform functions out under one generic pointer type.
    if (void *function = reinterpret_cast<void *>(
            native->nativeResourceFunctionForScreen(QByteArrayLiteral("setapptime"))))
        reinterpret_cast<SetTime>(function)(screen, match.captured(1).toUInt());
}

void activate(QWidget &window, const QByteArray &token)
{
    // A window that closed meanwhile is left alone.
    QWindow *handle = window.windowHandle();
    if (!window.isVisible() || !handle)
        return;
    if (activate_with_token(*handle, token))
        return;
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        use_startup_time(token);
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
