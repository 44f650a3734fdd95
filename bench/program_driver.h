#pragma once

// Drives the real main window inside the calling process, for the benchmarks
// and the soak test: scripted answers in place of the boxes, the options
// confirmed through the options window's start button, and one report per
// key press, sent away again with the report window's Command1.
//
// The report routines run modally inside the key handler, so whatever has to
// happen while a report runs (clicking Command1, taking a time) is done from
// the event loop: by a polling timer, or from the scripted box at the moment
// it answers. The keys come from the event loop too, as a person's keys do. Also: the process's
// resident set and open descriptors as the kernel sees them.

#include "bildschirm.h"
#include "dialog.h"
#include "drawing_area.h"
#include "presenter.h"
#include "program_state.h"
#include "prompts.h"
#include "quendra.h"
#include "read_birth_entry.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <cups/cups.h>

#include <chrono>
#include <functional>
#include <memory>

namespace driver {

/// Monotonic time in nanoseconds.
inline qint64 now_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

/// A size from /proc/self/status in KiB ("VmRSS", "RssAnon", ...), -1 when unknown.
inline qint64 status_kib(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = field + ':';
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

/// The resident set of this process in KiB, -1 when unknown.
inline qint64 resident_kib()
{
    return status_kib("VmRSS");
}

/// How many file descriptors this process has open, not counting the one
/// used to list them.
inline int open_descriptors()
{
    const QStringList entries =
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    return static_cast<int>(entries.size()) - 1;
}

/// Every job the scheduler knows of, finished ones included; -1 when it
/// cannot be asked.
inline int print_jobs()
{
    cups_job_t *jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(count, jobs);
    return count;
}

/// Runs the event loop until condition holds or timeout_ms have passed.
/// True when the condition held.
inline bool wait_until(const std::function<bool()> &condition, int timeout_ms = 20000)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    QTimer give_up;
    give_up.setSingleShot(true);
    QObject::connect(&give_up, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    give_up.start(timeout_ms);
    loop.exec();
    return condition();
}

/// Birth dates and names that take the report through its variants: young
/// and old (with and without the blood donation and dental lines), short and
/// long names, umlauts.
inline QString entry_date(int index)
{
    static const char *const dates[] = {"24011973", "29021960", "01011930", "31122005",
                                        "15081988", "07071947", "03032012", "11111999"};
    return QString::fromLatin1(dates[index % 8]);
}

inline QString entry_name(int index)
{
    static const char *const names[] = {
        "Anna", "Jürgen Müller-Lüdenscheidt", "Bo", "Eva-Maria Österreicher", "Max", "Zoë",
        "Kai",  "Friederike von Großenhain"};
    return QString::fromUtf8(names[(index / 3) % 8]) + QString::number(index % 7);
}

/// The boxes, answered from a queue. An exhausted queue answers like a
/// cancelled box; the exit question is always answered No.
class ScriptedPrompts final : public Prompts
{
public:
    QStringList text_answers;
    /// Runs as the name box hands its answer over: the name is accepted.
    std::function<void()> on_name_answered;
    int errors_shown = 0;
    QString last_error;

    QString ask_text(const QString &prompt, const QString &) override
    {
        const QString answer = text_answers.isEmpty() ? QString() : text_answers.takeFirst();
        if (prompt == entry_texts::name_prompt && on_name_answered)
            on_name_answered();
        return answer;
    }

    void show_error(const QString &text, const QString &) override
    {
        ++errors_shown;
        last_error = text;
    }

    bool ask_yes_no(const QString &, const QString &) override { return false; }
};

/// One running program: the main window with scripted boxes.
class Program
{
public:
    ScriptedPrompts prompts;
    std::unique_ptr<Quendra> window;
    QString failure;

    /// Shows the main window, confirms the options window with its start
    /// button and waits until the professor talks. False, with the reason in
    /// failure, when the program did not get that far.
    bool start(double time_scale)
    {
        window = std::make_unique<Quendra>(QuendraSetup{Clock(), time_scale, &prompts});
        Quendra *main = window.get();
        bool confirmed = false;
        QTimer confirm;
        confirm.setInterval(1);
        QObject::connect(&confirm, &QTimer::timeout, [&] {
            Dialog &options = main->options_window();
            if (!confirmed && options.isVisible()) {
                confirmed = true;
                QTest::mouseClick(options.findChild<QPushButton *>(QStringLiteral("Command1")),
                                  Qt::LeftButton);
            }
        });
        confirm.start();
        window->show();
        window->activateWindow();
        const bool talking = wait_until([main] { return main->presenter().script_running(); });
        confirm.stop();
        if (!talking) {
            failure = confirmed ? QStringLiteral("the speech did not start after the options")
                                : QStringLiteral("the options window did not come up");
            return false;
        }
        if (!main->state().options_confirmed) {
            failure = QStringLiteral("the options were not confirmed");
            return false;
        }
        return true;
    }

    /// Chooses in the options window whether reports are printed.
    void set_printout(bool printout)
    {
        window->options_window().Ausdruck(printout ? 0 : 1)->setChecked(true);
    }

    /// What run_reports does around each report.
    struct Reports
    {
        int count = 0;
        bool printed = false; // the printout is chosen: no report window
        /// Just before the key for report index (from 0) is pressed.
        std::function<void(int index)> before;
        /// Once report index is over and the professor has started again.
        std::function<void(int index)> after;
    };

    /// Runs reports one after the other, from the event loop, as people at
    /// the stand do: the next key comes when the professor has been handed
    /// back and has typed the first character of his first sentence, from
    /// whatever depth the event loop is running at by then. Each report gets
    /// the next entry of entry_date and entry_name; on a screen report,
    /// Command1 is clicked as soon as the report window is up. True when all
    /// of them went through; otherwise the reason is in failure.
    ///
    /// A report that does not unwind (a loop left running inside the key
    /// handler) makes the next key arrive one event loop deeper; such a run
    /// could never return to its caller, so it ends the process at once,
    /// saying so.
    bool run_reports(const Reports &reports, int timeout_per_report_ms = 20000)
    {
        Quendra *main = window.get();
        Presenter &professor = main->presenter();
        QEventLoop loop;
        QObject context; // ends the polling and the caption watch with this call
        int started = 0;
        int finished = 0;
        bool running = false;
        bool clicked = false;
        int errors = prompts.errors_shown;
        QString first_caption; // after the hand-back
        QElapsedTimer waited;
        int start_level = -1;
        failure.clear();

        QObject::connect(&professor, &Presenter::caption_changed, &context,
                         [&](const QString &caption) {
                             if (running && professor.reports_running() == 0 &&
                                 !caption.isEmpty() && first_caption.isEmpty())
                                 first_caption = caption;
                         });
        const auto give_up = [&](const QString &reason) {
            failure = QStringLiteral("report %1: %2").arg(finished + 1).arg(reason);
            // Whatever still waits in a modal loop must unwind.
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible())
                    dialog->hide();
            loop.quit();
        };

        std::function<void()> poll;
        poll = [&] {
            if (!failure.isEmpty() || finished == reports.count)
                return;
            // A fresh timer each time: it fires even while the report that
            // this one started is still running further up the stack.
            QTimer::singleShot(1, &context, poll);
            const int level = QThread::currentThread()->loopLevel();
            if (!running) {
                if (start_level < 0)
                    start_level = level;
                else if (level > start_level)
                    stuck(start_level, level, started);
                if (reports.before)
                    reports.before(started);
                prompts.text_answers = {entry_date(started), entry_name(started)};
                running = true;
                clicked = false;
                first_caption.clear();
                waited.start();
                ++started;
                press_key();
                return;
            }
            bildschirm *report = main->report_window();
            const bool report_shown = report && report->isVisible();
            if (!reports.printed && report_shown && !clicked) {
                clicked = true;
                QTest::mouseClick(report->findChild<QPushButton *>(QStringLiteral("Command1")),
                                  Qt::LeftButton);
                return;
            }
            if (prompts.errors_shown != errors)
                return give_up(QStringLiteral("error box: ") + prompts.last_error);
            const bool over = professor.reports_running() == 0 && !report_shown &&
                              (reports.printed || clicked) && !first_caption.isEmpty();
            if (!over) {
                if (waited.elapsed() > timeout_per_report_ms)
                    give_up(QStringLiteral("not over after %1 ms").arg(timeout_per_report_ms));
                return;
            }
            if (first_caption != Presenter::sentences()[0].left(1))
                return give_up(
                    QStringLiteral("then the professor typed \"%1\"").arg(first_caption));
            running = false;
            if (reports.after)
                reports.after(finished);
            if (++finished < reports.count)
                return;
            if (level > start_level)
                stuck(start_level, level, finished);
            loop.quit();
        };
        QTimer::singleShot(0, &context, poll);
        loop.exec();
        return failure.isEmpty() && finished == reports.count;
    }

private:
    [[noreturn]] static void stuck(int start_level, int level, int reports)
    {
        qFatal("the reports do not unwind: the first key came at event loop level %d, "
               "after %d reports the loop runs at level %d",
               start_level, reports, level);
    }

    // Delivered as the window system would; the report runs inside this call.
    void press_key() { QTest::keyClick(window->windowHandle(), Qt::Key_A); }
};

} // namespace driver
