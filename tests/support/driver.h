#pragma once

// Acting from the event loop, for everything that runs modally: the options
// and report windows, the boxes, the report routines inside the key handler.
// A test cannot wait for such a window and then click it from its own stack,
// as it would never get control back. Instead a Driver acts when a condition
// holds ("when the report window is up, click Command1"), from whatever depth
// the event loop runs at by then, while the test starts what opens the window.
//
// Waiting is done the same way (run_until). QTest::qWaitFor handles the
// pending events in passes 10 ms apart and fires each timer at most once a
// pass, so while it waits, the professor's 1 ms ticks come ten times slower.
// That does not matter for a window becoming active; it does where a
// scripted box stands in for a modal one (a real box runs a nested loop at
// the timers' own pace) and where a test waits for a later sentence.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <utility>

namespace support {

/// Hides every dialog that is up, which ends its modal loop: whatever waits
/// in one unwinds, so that a run that got stuck can return and say why.
inline void hide_dialogs()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<QDialog *>(window); dialog && dialog->isVisible())
            dialog->hide();
}

/// Each step waits until its condition holds and then runs its action, one
/// step after the other; an action may add further steps. A step that is
/// not reached in time is recorded as a failure and every dialog is hidden,
/// so that the modal loops unwind and the test can report it; so is a modal
/// window that stays open with no step left to close it.
class Driver
{
public:
    explicit Driver(int step_timeout_ms = 20000) : step_timeout_ms(step_timeout_ms)
    {
        QObject::connect(&watch, &QTimer::timeout, [this] { rescue_forgotten_window(); });
        watch.start(100);
    }
    ~Driver() { alive.reset(); }
    Driver(const Driver &) = delete;
    Driver &operator=(const Driver &) = delete;

    void when(const QString &name, std::function<bool()> condition,
              std::function<void()> action = {})
    {
        steps.push_back({name, std::move(condition), std::move(action)});
        if (steps.size() == 1)
            waited.start();
        schedule();
    }

    /// Runs a nested event loop until every step has run or one has failed.
    /// It returns only once whatever the actions opened has returned.
    bool run()
    {
        if (!steps.empty() && failure.isEmpty()) {
            QEventLoop loop;
            QEventLoop *outer = std::exchange(running, &loop);
            loop.exec();
            running = outer;
        }
        return done();
    }

    bool done() const { return steps.empty() && failure.isEmpty(); }
    QString failure;

private:
    struct Step
    {
        QString name;
        std::function<bool()> condition;
        std::function<void()> action;
    };

    void schedule()
    {
        // A fresh single-shot timer each time: a timer never fires again
        // while its own slot is still running, and an action may block in a
        // modal loop for long. One poll at a time is pending.
        if (scheduled)
            return;
        scheduled = true;
        std::weak_ptr<int> guard = alive;
        QTimer::singleShot(1, qApp, [this, guard] {
            if (!guard.expired())
                poll();
        });
    }

    void poll()
    {
        scheduled = false;
        if (steps.empty())
            return;
        schedule();
        Step &front = steps.front();
        if (front.condition()) {
            const std::function<void()> action = std::move(front.action);
            steps.pop_front();
            waited.start();
            if (action)
                action();
        } else if (waited.elapsed() > step_timeout_ms) {
            fail(QStringLiteral("never reached: ") + front.name);
        }
        if (running && steps.empty())
            running->quit();
    }

    void fail(const QString &reason)
    {
        failure = reason;
        steps.clear();
        hide_dialogs();
        if (running)
            running->quit();
    }

    void rescue_forgotten_window()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!steps.empty() || !modal) {
            forgotten_since.invalidate();
            return;
        }
        if (!forgotten_since.isValid())
            forgotten_since.start();
        if (forgotten_since.elapsed() > step_timeout_ms)
            fail(QStringLiteral("nothing left to close ") + modal->objectName() + QLatin1Char(' ') +
                 QString::fromLatin1(modal->metaObject()->className()));
    }

    int step_timeout_ms;
    std::deque<Step> steps;
    QElapsedTimer waited;
    QElapsedTimer forgotten_since;
    QTimer watch;
    bool scheduled = false;
    QEventLoop *running = nullptr;
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};

/// Runs a nested event loop until condition holds (checked every
/// millisecond) or timeout_ms have passed. True when the condition held.
inline bool run_until(const std::function<bool()> &condition, int timeout_ms)
{
    if (condition())
        return true;
    Driver driver(timeout_ms);
    driver.when(QStringLiteral("the awaited condition"), condition);
    return driver.run();
}

} // namespace support
