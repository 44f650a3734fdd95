#pragma once

// Runs the real main window inside the calling process, for the tests, the
// soak test and the benchmarks: scripted answers in place of the boxes (or
// the real boxes), the options confirmed through the options window's start
// button, and reports, each started by a key and sent away again with the
// report window's Command1.
//
// The options window and the report routines run modally, so whatever has to
// happen meanwhile (choosing options, clicking Command1) is done by the
// session's Driver; the keys come from the event loop too, as a person's
// keys do. A recorded session (the flow tests') runs at the pinned moment
// and logs what happened, in order: boxes asked, the options and report
// windows shown and hidden, the program's end instead of ending anything.

#include "driver.h"
#include "report_fixture.h"
#include "scripted_prompts.h"

#include "bildschirm.h"
#include "clock.h"
#include "dialog.h"
#include "drawing_area.h"
#include "presenter.h"
#include "program_state.h"
#include "quendra.h"
#include "report_lines.h"

#include <QLabel>
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

/// Steps of a log, written as plain text.
inline QStringList steps(std::initializer_list<const char *> names)
{
    QStringList list;
    for (const char *name : names)
        list.append(QString::fromUtf8(name));
    return list;
}

inline QLabel *control(Quendra &window, const char *name)
{
    return window.findChild<QLabel *>(QString::fromLatin1(name));
}

inline QString bubble(Quendra &window)
{
    return control(window, "blase")->text();
}

/// The bubble shows at least the first characters of sentence index.
inline bool shows_start_of(Quendra &window, int index, int characters)
{
    const QString shown = bubble(window);
    return shown.size() >= characters &&
           Presenter::sentences()[static_cast<std::size_t>(index)].startsWith(shown);
}

inline QPushButton *button(QWidget *window, const char *name)
{
    return window ? window->findChild<QPushButton *>(QString::fromLatin1(name)) : nullptr;
}

inline void click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

/// The report sheet as it would show one entry's report at the pinned
/// moment, drawn on a report window of our own; an empty sheet without date.
inline QImage expected_report(const QString &date = {}, const QString &name = {},
                              int lottery_variant = 45)
{
    bildschirm reference;
    DrawingArea &sheet = *reference.blatt();
    if (!date.isEmpty()) {
        sheet.clear();
        write_report_lines(analysed(date, name, lottery_variant), sheet, OutputKind::screen,
                           Clock::pinned(pinned_now()));
    }
    return sheet.image();
}

/// Logs every showing and hiding of the options and report windows, and
/// every real input or message box that opens.
class WindowWatcher : public QObject
{
public:
    explicit WindowWatcher(QStringList &into) : log(into) { qApp->installEventFilter(this); }
    ~WindowWatcher() override { qApp->removeEventFilter(this); }

    /// Runs when the report window is shown, before it is painted.
    std::function<void()> on_report_shown;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if ((event->type() != QEvent::Show && event->type() != QEvent::Hide) ||
            event->spontaneous() || !widget || !widget->isWindow())
            return false;
        const bool shown = event->type() == QEvent::Show;
        const QString name = watched->objectName();
        if (shown && watched->inherits("QInputDialog"))
            log.append(QStringLiteral("input box"));
        else if (shown && watched->inherits("QMessageBox"))
            log.append(QStringLiteral("message box"));
        if (name == QStringLiteral("bildschirm") || name == QStringLiteral("Dialog"))
            log.append((shown ? QStringLiteral("show ") : QStringLiteral("hide ")) + name);
        if (shown && name == QStringLiteral("bildschirm") && on_report_shown)
            on_report_shown();
        return false;
    }

private:
    QStringList &log;
};

/// One running program: the main window with scripted boxes.
class ProgramSession
{
public:
    /// A session for the flow tests: at the pinned moment, with its log, and
    /// the program's end recorded in ended (and the log) instead.
    static std::unique_ptr<ProgramSession> recorded()
    {
        auto session = std::make_unique<ProgramSession>();
        ProgramSession *self = session.get();
        self->clock = Clock::pinned(pinned_now());
        self->prompts.step_log = &self->log;
        self->end_program = [self](int status) {
            self->ended.append(status);
            self->log.append(QStringLiteral("end %1").arg(status));
        };
        self->watcher = std::make_unique<WindowWatcher>(self->log);
        return session;
    }

    /// What the program reads the time from: the real clock unless pinned.
    Clock clock;
    ScriptedPrompts prompts;
    /// The prompt layer's real boxes instead of the scripted ones.
    bool real_boxes = false;
    /// How the program ends; nothing in a test may end the test process.
    ProgramEnd end_program = [](int status) { qFatal("the program ended with %d", status); };
    std::unique_ptr<Quendra> window;
    /// Acts from the event loop for the whole session.
    Driver driver;
    QString failure;

    /// A recorded session's log since start() returned, and up to then.
    QStringList log;
    QStringList start_log;
    QList<int> ended;
    std::unique_ptr<WindowWatcher> watcher;

    /// The main window, made and not yet shown.
    Quendra &create(double time_scale)
    {
        window = std::make_unique<Quendra>(
            QuendraSetup{clock, time_scale, real_boxes ? nullptr : &prompts, nullptr, end_program});
        return *window;
    }

    /// Shows the main window, confirms the options window with its start
    /// button (choose runs on it first) and waits until the professor talks
    /// and the main window is active. False, with the reason in failure,
    /// when the program did not get that far.
    bool start(double time_scale, const std::function<void(Dialog &)> &choose = {},
               int timeout_ms = 20000)
    {
        failure.clear();
        Quendra *main = &create(time_scale);
        // A click that leaves the window up has it hidden after the driver's
        // timeout, which ends its modal loop, so that this call can return
        // and say so.
        driver.when(
            QStringLiteral("options window up"),
            [this] { return window && window->options_window().isVisible(); },
            [this, choose] {
                if (choose)
                    choose(window->options_window());
                click(button(&window->options_window(), "Command1"));
            });
        window->show();
        window->activateWindow();
        const bool talking =
            QTest::qWaitFor([main] { return main->presenter().script_running(); }, timeout_ms);
        start_log = std::exchange(log, {});
        if (!talking)
            failure = driver.done() ? QStringLiteral("the speech did not start after the options")
                                    : QStringLiteral("the options window did not come up");
        else if (!main->state().options_confirmed)
            failure = QStringLiteral("the options were not confirmed");
        else if (!QTest::qWaitFor([main] { return main->isActiveWindow(); }, timeout_ms))
            failure = QStringLiteral("the main window did not become active");
        return failure.isEmpty();
    }

    /// Chooses in the options window whether reports are printed.
    void set_printout(bool printout)
    {
        window->options_window().Ausdruck(printout ? 0 : 1)->setChecked(true);
    }

    bool report_shown() const
    {
        return window->report_window() && window->report_window()->isVisible();
    }

    /// The report window is up and has the keyboard.
    bool report_active() const
    {
        return report_shown() && window->report_window()->isActiveWindow();
    }

    /// depth reports run, and the innermost one's sentence is being typed.
    bool typing_report_sentence(int depth = 1) const
    {
        Presenter &professor = window->presenter();
        return professor.reports_running() == depth && !bubble(*window).isEmpty() &&
               !professor.speech_finished();
    }

    /// A key pressed on the main window, delivered as the window system
    /// would; a report runs inside this call.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }

    /// Has the driver send the report window away with Command1 once it has
    /// the keyboard, first running first.
    void close_report_when_active(const std::function<void()> &first = {})
    {
        driver.when(
            QStringLiteral("report window active"), [this] { return report_active(); },
            [this, first] {
                if (first)
                    first();
                click(button(window->report_window(), "Command1"));
            });
    }

    /// A screen report of the scripted entry, started by key and sent away
    /// with Command1; whether the driver got through.
    bool screen_report(const QString &date, const QString &name, Qt::Key key = Qt::Key_A)
    {
        prompts.text_answers = {date, name};
        close_report_when_active();
        press(key);
        return driver.done();
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
        Driver reports_driver(timeout_per_report_ms);
        Quendra *main = window.get();
        Presenter &professor = main->presenter();
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
                reports_driver.when(
                    QStringLiteral("report window up"),
                    [&] { return error_shown() || report_shown(); },
                    [&] {
                        if (!error_shown())
                            click(button(main->report_window(), "Command1"));
                    });
            reports_driver.when(
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
                        return reports_driver.when(
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
            press(Qt::Key_A);
            delivering = false;
        };
        if (reports.count > 0)
            reports_driver.when(
                QStringLiteral("the first report"), [] { return true; }, next);
        reports_driver.run();
        if (failure.isEmpty() && !reports_driver.failure.isEmpty())
            failure = QStringLiteral("report %1: %2").arg(finished + 1).arg(reports_driver.failure);
        return failure.isEmpty() && finished == reports.count;
    }

private:
    [[noreturn]] static void stuck(int start_level, int level, int reports)
    {
        qFatal("the reports do not unwind: the first key came at event loop level %d, "
               "after %d reports the loop runs at level %d",
               start_level, reports, level);
    }
};

} // namespace support
