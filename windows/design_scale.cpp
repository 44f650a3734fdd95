#include "design_scale.h"

#include "placement.h"
#include "screen_factor.h"

#include <QApplication>
#include <QPixmapCache>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Whether a side of this many pixels, laid out by Qt in whole scaled pixels
// at factor, is covered to its last pixel.
bool covers(int pixels, double factor)
{
    const int scaled = qRound(pixels * (1.0 / factor));
    return qRound(scaled * factor) >= pixels;
}

} // namespace

double design_scale(QSize screen)
{
    if (screen.isEmpty())
        return 1.0;
    const double across = double(screen.width()) / design_area.width();
    const double down = double(screen.height()) / design_area.height();
    const double factor = std::max(1.0, std::min(across, down));
    if (factor == 1.0 || (covers(screen.width(), factor) && covers(screen.height(), factor)))
        return factor;
    // Qt makes the screen a whole number of scaled pixels: at 1080 / 588 a
    // 1920-pixel screen is 1045 of them, which reach only to pixel 1919, and
    // the last column stays black. A factor a hair smaller, at which both
    // sides round up instead, covers the screen.
    double best = 0;
    for (const int side : {screen.width(), screen.height()}) {
        const double whole = std::floor(side / factor);
        for (const double more : {0.51, 0.55, 0.6, 0.75, 1.0}) {
            const double candidate = side / (whole + more);
            if (candidate < factor && candidate > best && covers(screen.width(), candidate) &&
                covers(screen.height(), candidate))
                best = candidate;
        }
    }
    return best > 0 ? best : factor;
}

DesignScale::DesignScale(bool original_size, QObject *parent)
    : QObject(parent), original_size(original_size)
{
    // A screen reports its new size in steps (mode, then its windows); the
    // factor is worked out once they have come in.
    settle.setSingleShot(true);
    settle.setInterval(50);
    connect(&settle, &QTimer::timeout, this, [this] {
        const std::vector<QScreen *> screens = std::exchange(pending, {});
        for (QScreen *screen : screens) {
            if (!factors.contains(screen))
                continue;
            std::vector<Kept> kept;
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (window->isVisible() && window->screen() == screen && !window->isFullScreen())
                    kept.push_back({window, window->frameGeometry().topLeft(), window->size()});
            }
            rescale(screen);
            // The style keeps what it drew at the old factor.
            QPixmapCache::clear();
            fit_windows(screen, kept);
        }
    });
    for (QScreen *screen : QGuiApplication::screens())
        follow(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        follow(screen);
        fit_windows(screen, {});
    });
}

double DesignScale::factor(const QScreen *screen) const
{
    return factors.value(screen, 1.0);
}

void DesignScale::follow(QScreen *screen)
{
    rescale(screen);
    connect(screen, &QObject::destroyed, this, [this, screen] {
        factors.remove(screen);
        std::erase(pending, screen);
    });
    connect(screen, &QScreen::geometryChanged, this, [this, screen] {
        if (std::find(pending.begin(), pending.end(), screen) == pending.end())
            pending.push_back(screen);
        settle.start();
    });
}

void DesignScale::rescale(QScreen *screen)
{
    factors[screen] = scale_screen(*screen, desktop_factors, [this](QSize size) {
        return original_size ? 1.0 : design_scale(size);
    });
}

void DesignScale::fit_windows(QScreen *screen, const std::vector<Kept> &kept)
{
    const QRect area = screen->geometry();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        QWindow *handle = window->windowHandle();
        if (!window->isVisible() || window->screen() != screen || !window->isFullScreen() ||
            window->geometry() == area || !handle)
            continue;
        // Asked again, a platform that places full-screen windows itself
        // makes it cover the new screen; without a window manager nobody does.
        handle->setWindowStates(handle->windowStates());
        if (window->geometry() != area)
            handle->setGeometry(area);
    }
    // Any other keeps its size in the design and its place on the screen.
    for (const Kept &before : kept) {
        if (!before.window)
            continue;
        before.window->resize(before.size);
        fit_to_screen(*before.window, before.corner);
        before.window->update();
    }
    emit changed(screen);
}
