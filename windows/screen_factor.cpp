#include "screen_factor.h"

#include "platform.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <vector>

// Qt takes a factor for each screen from QT_SCREEN_SCALE_FACTORS once, when
// it first sees the screens, and offers no public way to change it later;
// the factor here follows the screen's size. These are the calls that
// variable ends in, and those Qt makes when a window moves to another
// screen, made whenever a screen changes size.
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <qpa/qplatformscreen.h>
#include <qpa/qplatformwindow.h>
#include <qpa/qwindowsysteminterface.h>

double scale_screen(QScreen &screen, QHash<QString, double> &desktop_factors,
                    const std::function<double(QSize)> &factor_for)
{
    // Qt keeps a screen's factor by its name, past the screen's object.
    const QString key =
        screen.name().isEmpty() ? QString::number(quintptr(&screen), 16) : screen.name();
    const auto known = desktop_factors.constFind(key);
    const double desktop = known != desktop_factors.cend()
                               ? *known
                               : desktop_factors[key] = QHighDpiScaling::factor(&screen);
    // The user's factor (QT_SCALE_FACTOR) stays on top of the screen's own.
    const double user = QHighDpiScaling::factor(static_cast<const QScreen *>(nullptr));
    const QSize size = screen.handle()->geometry().size() * (1.0 / desktop);
    const double factor = factor_for(size);
    if (qFuzzyCompare(QHighDpiScaling::factor(&screen), desktop * factor))
        return factor;
    struct Shown
    {
        QWindow *window;
        QRect geometry;
    };
    std::vector<Shown> shown;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        // Popups and tooltips close by themselves.
        const Qt::WindowType type = window->type();
        if (window->screen() == &screen && window->isVisible() && window->handle() &&
            type != Qt::Popup && type != Qt::ToolTip)
            shown.push_back({window, window->geometry()});
    }
    QHighDpiScaling::setScreenFactor(&screen, desktop / user * factor);
    QGuiApplicationPrivate::resetCachedDevicePixelRatio();
    // A hidden window takes its size anew when it is shown. A full-screen
    // one learns its new size in the design; any other keeps the one it has,
    // and where the compositor places the windows, it is placed anew on the
    // changed screen.
    const bool compositor_places = compositor_places_windows();
    for (const Shown &window : shown) {
        QPlatformWindow *platform = window.window->handle();
        if (window.window->windowStates() & Qt::WindowFullScreen) {
            QWindowSystemInterface::handleGeometryChange<
                QWindowSystemInterface::SynchronousDelivery>(window.window, platform->geometry());
            continue;
        }
        if (compositor_places)
            platform->setVisible(false);
        window.window->setGeometry(window.geometry);
        if (compositor_places)
            platform->setVisible(true);
    }
    // Told as after a move to another screen, a window draws all of itself
    // anew at the new factor.
    for (const Shown &window : shown)
        emit window.window->screenChanged(&screen);
    return factor;
}
