#pragma once

#include <QGuiApplication>
#include <QTest>
#include <qpa/qwindowsysteminterface.h>

namespace support {

/// A key held down on the window with the keyboard: its first press (unless
/// it went down elsewhere), five repeats, its release. X11 often leaves the
/// repeats unmarked, a release and a press at the same time.
inline void hold_key(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text,
                     bool first_press, bool marked)
{
    static ulong time = 0;
    const auto send = [&](QEvent::Type type, bool repeat) {
        if (QWindow *window = QGuiApplication::focusWindow())
            QWindowSystemInterface::handleExtendedKeyEvent(window, time, type, key, modifiers, 50,
                                                           0, 0, text, repeat && marked);
        QWindowSystemInterface::flushWindowSystemEvents();
    };
    ++time;
    if (first_press)
        send(QEvent::KeyPress, false);
    for (int repeat = 0; repeat < 5; ++repeat, ++time) {
        QTest::qWait(120); // longer than a button's click
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
    }
    send(QEvent::KeyRelease, false);
}

} // namespace support
