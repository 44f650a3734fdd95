#include "frame_wait.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTimer>
#include <QVersionNumber>
#include <QWindow>

#include <utility>

namespace {

const QLatin1String waiting_name("quendra_last_frame_wait");
constexpr int settle_ms = 10;
const QLatin1String tooltip_filter_name("quendra_tooltip_hides");

// One hide waiting for a window's last frame: a child of the window, so that
// it goes with it.
class LastFrameWait : public QObject
{
public:
    LastFrameWait(QWidget &window, QWindow &handle, std::function<void()> hide, int bound_ms)
        : QObject(&window), window(&window), handle(&handle), hide(std::move(hide))
    {
        setObjectName(waiting_name);
        handle.installEventFilter(this);
        window.installEventFilter(this);
        QTimer::singleShot(bound_ms, this, &LastFrameWait::finish);
        handle.requestUpdate();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::UpdateRequest)
            return false;
        // A dialog's done() destroys the native window, and Qt's frame-event
        // thread may still hold the window's lock for a moment after the
        // answer: the hide follows a few milliseconds later. Meanwhile the
        // window paints nothing (the widget's own update requests are held
        // back too), as a paint would ask for a new frame.
        if (watched == handle && !settling) {
            settling = true;
            QTimer::singleShot(settle_ms, this, &LastFrameWait::finish);
        }
        return watched == handle || settling;
    }

private:
    void finish()
    {
        if (!hide)
            return;
        if (handle)
            handle->removeEventFilter(this);
        window->removeEventFilter(this);
        // Off the window at once, so that the window may wait again.
        setParent(nullptr);
        deleteLater();
        std::exchange(hide, nullptr)();
    }

    QWidget *window;
    QPointer<QWindow> handle;
    std::function<void()> hide;
    bool settling = false;
};

// Qt's tooltip hides with close() and then deletes itself later: the close is
// held back until the last frame, and the deletion until it has hidden. Qt
// drops a second deleteLater() of an object, so the hidden tooltip is deleted
// by a timer of its own.
class TooltipHides : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Close && event->type() != QEvent::DeferredDelete)
            return false;
        auto *tip = qobject_cast<QWidget *>(watched);
        if (!tip || tip->windowType() != Qt::ToolTip || !tip->isVisible())
            return false;
        if (event->type() == QEvent::Close) {
            hide_after_last_frame(*tip, [tip] {
                tip->hide();
                QTimer::singleShot(0, tip, [tip] { delete tip; });
            });
            event->ignore();
        }
        return true;
    }
};

} // namespace

bool hides_wait_for_frames()
{
    // Mended in Qt 6.4.3 ("Fix frame sync related to unprotected multithread
    // access"), which Debian 12 does not have.
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
           QLibraryInfo::version() < QVersionNumber(6, 4, 3);
}

void hide_after_last_frame(QWidget &window, std::function<void()> hide, bool wait, int bound_ms)
{
    QWindow *handle = window.windowHandle();
    if (!wait || !handle || !window.isVisible()) {
        hide();
        return;
    }
    if (!window.findChild<QObject *>(waiting_name, Qt::FindDirectChildrenOnly))
        new LastFrameWait(window, *handle, std::move(hide), bound_ms);
}

void route_tooltip_hides()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!hides_wait_for_frames() ||
        application->findChild<QObject *>(tooltip_filter_name, Qt::FindDirectChildrenOnly))
        return;
    auto *filter = new TooltipHides;
    filter->setObjectName(tooltip_filter_name);
    filter->setParent(application);
    application->installEventFilter(filter);
}
