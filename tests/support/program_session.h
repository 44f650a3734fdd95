#pragma once

// Runs the real main window inside the calling process, for the tests, the
// soak test and the benchmarks: scripted answers in place of the boxes, the
// options confirmed through the options window's start button, and reports
// one after the other, each started by a key and sent away again with the
// report window's Command1.
//
// The options window and the report routines run modally, so whatever has to
// happen meanwhile (choosing options, clicking Command1) is done by a Driver;
// the keys come from the event loop too, as a person's keys do.

#include "driver.h"
#include "scripted_prompts.h"

#include "bildschirm.h"
#include "clock.h"
#include "dialog.h"
#include "presenter.h"
#include "program_state.h"
#include "quendra.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>
#include <QWindow>

#include <functional>
#include <memory>

namespace support {

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

/// One running program: the main window with scripted boxes.
class ProgramSession
{
public:
    /// What the program reads the time from: the real clock unless pinned.
    Clock clock;
    ScriptedPrompts prompts;
    /// How the program ends; nothing in a test may end the test process.
    ProgramEnd end_program = [](int status) { qFatal("the program ended with %d", status); };
    std::unique_ptr<Quendra> window;
    QString failure;

    /// Shows the main window, confirms the options window with its start
    /// button (choose runs on it first) and waits until the professor talks
    /// and the main window is active. False, with the reason in failure,
    /// when the program did not get that far.
    bool start(double time_scale, const std::function<void(Dialog &)> &choose = {},
               int timeout_ms = 20000)
    {
        failure.clear();
        window = std::make_unique<Quendra>(
            QuendraSetup{clock, time_scale, &prompts, nullptr, end_program});
        Quendra *main = window.get();
        bool confirmed = false;
        // A click that leaves the window up has it hidden after the timeout,
        // which ends its modal loop, so that this call can return and say so.
        Driver driver(timeout_ms);
        driver.when(
            QStringLiteral("options window up"),
            [main] { return main->options_window().isVisible(); },
            [&] {
                confirmed = true;
                Dialog &options = main->options_window();
                if (choose)
                    choose(options);
                QTest::mouseClick(options.findChild<QPushButton *>(QStringLiteral("Command1")),
                                  Qt::LeftButton);
            });
        window->show();
        window->activateWindow();
        const bool talking =
            QTest::qWaitFor([main] { return main->presenter().script_running(); }, timeout_ms);
        if (!talking) {
            failure = confirmed ? QStringLiteral("the speech did not start after the options")
                                : QStringLiteral("the options window did not come up");
            return false;
        }
        if (!main->state().options_confirmed) {
            failure = QStringLiteral("the options were not confirmed");
            return false;
        }
        if (!QTest::qWaitFor([main] { return main->isActiveWindow(); }, timeout_ms)) {
            failure = QStringLiteral("the main window did not become active");
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
    /// Command1 is clicked as soon as the report window is up. An error box
    /// ends the run. prompts.asked holds the questions of one report only,
    /// so that it does not grow with the run. True when all of them went
    /// through; otherwise the reason is in failure.
    ///
    /// A report that does not unwind (a loop left running inside the key
    /// handler) makes the next key arrive one event loop deeper; such a run
    /// could never return to its caller, so it ends the process at once,
    /// saying so.
    bool run_reports(const Reports &reports, int timeout_per_report_ms = 20000)
    {
        Quendra *main = window.get();
        Presenter &professor = main->presenter();
        Driver driver(timeout_per_report_ms);
        QObject context; // ends the caption watch with this call
        int finished = 0;
        bool running = false;
        QString first_caption; // after the hand-back
        int start_level = -1;
        bool delivering = false; // the key is being delivered; the report runs inside
        failure.clear();
        prompts.asked.clear();

        QObject::connect(&professor, &Presenter::caption_changed, &context,
                         [&](const QString &caption) {
                             if (running && professor.reports_running() == 0 &&
                                 !caption.isEmpty() && first_caption.isEmpty())
                                 first_caption = caption;
                         });
        const auto give_up = [&](const QString &reason) {
            failure = QStringLiteral("report %1: %2").arg(finished + 1).arg(reason);
            hide_dialogs();
        };
        const auto check_level = [&] {
            const int level = QThread::currentThread()->loopLevel();
            if (start_level < 0)
                start_level = level;
            else if (level > start_level)
                stuck(start_level, level, finished);
        };
        const auto error_shown = [&] { return !prompts.asked_of(Asked::error).isEmpty(); };
        const auto report_shown = [main] {
            return main->report_window() && main->report_window()->isVisible();
        };

        std::function<void()> next;
        next = [&] {
            check_level();
            if (reports.before)
                reports.before(finished);
            prompts.asked.clear();
            prompts.text_answers = {entry_date(finished), entry_name(finished)};
            running = true;
            first_caption.clear();
            if (!reports.printed)
                driver.when(
                    QStringLiteral("report window up"),
                    [&] { return error_shown() || report_shown(); },
                    [&] {
                        if (!error_shown())
                            QTest::mouseClick(main->report_window()->findChild<QPushButton *>(
                                                  QStringLiteral("Command1")),
                                              Qt::LeftButton);
                    });
            driver.when(
                QStringLiteral("report over"),
                [&] {
                    return error_shown() || (professor.reports_running() == 0 && !report_shown() &&
                                             !first_caption.isEmpty());
                },
                [&] {
                    running = false;
                    if (error_shown())
                        return give_up(QStringLiteral("error box: ") +
                                       prompts.asked_of(Asked::error).first().text);
                    if (first_caption != Presenter::sentences()[0].left(1))
                        return give_up(
                            QStringLiteral("then the professor typed \"%1\"").arg(first_caption));
                    if (reports.after)
                        reports.after(finished);
                    // This poll may run inside the events that the last key's
                    // delivery handles; a key from there would nest the next
                    // report one call deeper. So it waits until the delivery
                    // is over, which a report that leaves a loop running
                    // never is.
                    if (++finished < reports.count)
                        return driver.when(
                            QStringLiteral("the next person"),
                            [&] {
                                if (delivering &&
                                    QThread::currentThread()->loopLevel() > start_level)
                                    stuck(start_level, QThread::currentThread()->loopLevel(),
                                          finished);
                                return !delivering;
                            },
                            next);
                    check_level();
                });
            delivering = true;
            press_key();
            delivering = false;
        };
        if (reports.count > 0)
            driver.when(
                QStringLiteral("the first report"), [] { return true; }, next);
        driver.run();
        if (failure.isEmpty() && !driver.failure.isEmpty())
            failure = QStringLiteral("report %1: %2").arg(finished + 1).arg(driver.failure);
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

} // namespace support
