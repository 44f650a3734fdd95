#pragma once

// Most waits in the tests are QTest::qWaitFor. It handles the pending events
// in passes 10 ms apart and fires each timer at most once a pass, so while it
// waits, the professor's 1 ms ticks come ten times slower and as often as his
// faces. That does not matter for a window becoming active or the first
// characters of a sentence. It does where a scripted box stands in for a
// modal one (QDialog::exec runs a nested loop: the timers keep their pace,
// the loop level is one deeper, and what was deleteLater()'d before the box
// is not deleted while it is open), and where a test waits for the professor
// to get to a later sentence (ten times the wait, out of a step's budget).

#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace support {

/// Runs a nested event loop until condition holds (checked every
/// millisecond) or timeout_ms have passed. True when the condition held; the
/// loop returns only once whatever runs inside it (a modal window) has
/// returned.
inline bool run_until(const std::function<bool()> &condition, int timeout_ms)
{
    if (condition())
        return true;
    bool held = false;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!held && condition()) {
            held = true;
            loop.quit();
        }
    });
    QTimer give_up;
    give_up.setSingleShot(true);
    QObject::connect(&give_up, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    give_up.start(timeout_ms);
    loop.exec();
    return held;
}

} // namespace support
