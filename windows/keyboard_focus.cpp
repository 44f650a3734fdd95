#include "keyboard_focus.h"

#include "wayland_activation.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

// Why a window that opens does not get the keys by itself on Wayland:
// Qt's xcb platform asks the window manager to activate a modal window when
// it maps it, and the offscreen platform activates every window it shows,
// but Qt's Wayland platform (6.4) only maps the new xdg toplevel, with the
// main window as its parent, and leaves the focus to the compositor. sway
// and other wlroots compositors give no focus to a window that opens over a
// full-screen one, even a dialog of that window. The keyboard stays with the
// main window, which Qt blocks while a modal window is open, so every key is
// lost. An explicit QWindow::requestActivate() becomes an xdg-activation
// request, which Qt 6.4 can only make with a token tied to the last key press
// or click: before the first key (the options window at start) it sends
// nothing at all, and a request for a window the compositor has not mapped
// yet is dropped. Hence the repeated requests below, and a token of our own
// once Qt's request has had its chance. Whether an activation is granted is
// the compositor's choice: sway grants it only with
// `focus_on_window_activation smart` (or `focus`), otherwise it just marks the
// window urgent.

namespace {

constexpr int attempt_interval_ms = 50;
constexpr int last_attempt = 60; // three seconds
// Qt's own request, tied to the last input, is the one compositors trust
// most; the token of our own is for the time before any input.
constexpr int first_attempt_with_own_token = 3;
const QString claim_name = QStringLiteral("keyboard_focus_claim");

class FocusClaim : public QObject
{
public:
    explicit FocusClaim(QWidget &window) : QObject(&window), window(window)
    {
        setObjectName(claim_name);
        timer.setInterval(attempt_interval_ms);
        connect(&timer, &QTimer::timeout, this, &FocusClaim::attempt);
        window.installEventFilter(this);
    }

    void start()
    {
        attempts = 0;
        timer.start();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &window && event->type() == QEvent::Show) {
            start();
        } else if (watched == &window && event->type() == QEvent::Hide) {
            timer.stop();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void attempt()
    {
        const QWidget *modal = QApplication::activeModalWidget();
        if (!window.isVisible() || window.isActiveWindow() || (modal && modal != &window) ||
            ++attempts > last_attempt) {
            timer.stop();
            return;
        }
        const bool own_token = attempts >= first_attempt_with_own_token && offer_activation_token();
        window.raise();
        window.activateWindow();
        if (own_token)
            withdraw_activation_token(); // unused where Qt had nothing to activate yet
    }

    QWidget &window;
    QTimer timer;
    int attempts = 0;
};

FocusClaim &claim_of(QWidget &window)
{
    if (QObject *claim = window.findChild<QObject *>(claim_name, Qt::FindDirectChildrenOnly))
        return *static_cast<FocusClaim *>(claim);
    return *new FocusClaim(window);
}

} // namespace

void take_keyboard_focus(QWidget &window)
{
    claim_of(window);
}

void bring_to_front(QWidget &window)
{
    if (!window.isVisible())
        return;
    // Qt may still count the window active while the system has moved the
    // keyboard elsewhere, so one request goes out in any case.
    window.raise();
    window.activateWindow();
    claim_of(window).start();
}
