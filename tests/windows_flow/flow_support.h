#pragma once

// Helpers for driving the running program inside the test process.
//
// The report routines run modally inside the key handler, so a test cannot
// wait for a window and then click it from its own stack: it would never get
// control back. Instead a Driver (tests/support) acts from the event loop
// when a condition holds ("when the report window is up, click Command1"),
// while the test presses the key that starts everything. ScriptedPrompts
// stands in for the boxes, answering from a queue and recording what it was
// asked; a scripted box can also stay "open" for a while, running the event
// loop like a real modal box does.

#include "program_session.h"
#include "report_fixture.h"
#include "scripted_prompts.h"

#include "bildschirm.h"
#include "clock.h"
#include "dialog.h"
#include "drawing_area.h"
#include "engine.h"
#include "program_state.h"
#include "prompts.h"
#include "quendra.h"
#include "report_lines.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

namespace flow {

using support::Asked;
using support::Driver;
using support::run_until;
using support::ScriptedPrompts;

/// How long a test waits for what has to come: generous, for the sanitizer
/// builds on a busy machine.
inline constexpr int patience_ms = 10000;

/// What happened, in order: boxes asked, windows shown and hidden, the end.
/// Tests compare it as a whole, so a missing or an extra step shows at once.
inline QStringList &log()
{
    static QStringList entries;
    return entries;
}

/// The program's end, logged instead of ending the test process.
inline void log_end(int status)
{
    log().append(QStringLiteral("end %1").arg(status));
}

/// Drops the offscreen platform's note that it cannot pass size hints on,
/// which every box would print; everything else goes through.
inline void quiet_platform_notes()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
            if (message.contains(QStringLiteral("does not support propagateSizeHints")))
                return;
            if (previous)
                previous(type, context, message);
        });
}

/// Steps of the log, written as plain text.
inline QStringList steps(std::initializer_list<const char *> names)
{
    QStringList list;
    for (const char *name : names)
        list.append(QString::fromUtf8(name));
    return list;
}

/// Logs every showing and hiding of the options and report windows, and
/// every real input or message box that opens.
class WindowWatcher : public QObject
{
public:
    WindowWatcher() { qApp->installEventFilter(this); }
    ~WindowWatcher() override { qApp->removeEventFilter(this); }

    /// Runs when the report window is shown, before it is painted.
    std::function<void()> on_report_shown;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) &&
            !event->spontaneous()) {
            const QString name = watched->objectName();
            auto *widget = qobject_cast<QWidget *>(watched);
            if (event->type() == QEvent::Show && widget && widget->isWindow()) {
                if (watched->inherits("QInputDialog"))
                    log().append(QStringLiteral("input box"));
                else if (watched->inherits("QMessageBox"))
                    log().append(QStringLiteral("message box"));
            }
            if (widget && widget->isWindow() &&
                (name == QStringLiteral("bildschirm") || name == QStringLiteral("Dialog"))) {
                const bool shown = event->type() == QEvent::Show;
                log().append((shown ? QStringLiteral("show ") : QStringLiteral("hide ")) + name);
                if (shown && name == QStringLiteral("bildschirm") && on_report_shown)
                    on_report_shown();
            }
        }
        return false;
    }
};

/// A main window at the pinned now, its timers running time_scale times their
/// intervals, asking through prompts (the real boxes when null).
inline QuendraSetup pinned_setup(double time_scale, Prompts *prompts = nullptr,
                                 ProgramEnd end_program = log_end)
{
    return QuendraSetup{Clock::pinned(pinned_now()), time_scale, prompts, nullptr,
                        std::move(end_program)};
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

inline bool report_shown(Quendra &window)
{
    return window.report_window() && window.report_window()->isVisible();
}

/// The report window is up and has the keyboard.
inline bool report_active(Quendra &window)
{
    return report_shown(window) && window.report_window()->isActiveWindow();
}

inline void click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

/// A key pressed on the main window, delivered as the window system would.
inline void press(Quendra &window, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(window.windowHandle(), key, modifiers);
}

// The real boxes of the prompt layer, driven by keys.

/// The modal box of type T that has the keyboard, or null.
template <typename T> T *active_box()
{
    auto *box = qobject_cast<T *>(QApplication::activeModalWidget());
    return box && box->isVisible() && box->isActiveWindow() ? box : nullptr;
}

/// The input box with the given prompt, as the user sees it (CR LF shown as a
/// line break), when it has the keyboard; else null.
inline QInputDialog *input_box(const QString &prompt)
{
    QInputDialog *box = active_box<QInputDialog>();
    const QString shown = QString(prompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return box && box->labelText() == shown ? box : nullptr;
}

/// Types text into the box's field and ends with key, as a user would.
inline void answer(QInputDialog *box, const QString &text, Qt::Key key = Qt::Key_Return)
{
    QLineEdit *field = box->findChild<QLineEdit *>();
    QTest::keyClicks(field, text);
    QTest::keyClick(box->windowHandle(), key);
}

/// Has the driver type date and then name into the real boxes as they come;
/// which tells these steps from other entries in the driver's report.
inline void type_entry(Driver &driver, const QString &date, const QString &name,
                       const QString &which = {})
{
    driver.when(
        QStringLiteral("date box") + which,
        [] { return input_box(entry_texts::date_prompt) != nullptr; },
        [date] { answer(input_box(entry_texts::date_prompt), date); });
    driver.when(
        QStringLiteral("name box") + which,
        [] { return input_box(entry_texts::name_prompt) != nullptr; },
        [name] { answer(input_box(entry_texts::name_prompt), name); });
}

/// What a message box showed.
struct MessageShown
{
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;

    static MessageShown of(const QMessageBox &box)
    {
        return {box.text(), box.windowTitle(), box.icon(), box.standardButtons()};
    }
};

/// Has the driver note what the next message box shows, in shown, and
/// confirm it with Return.
inline void confirm_message(Driver &driver, const QString &step, MessageShown &shown)
{
    driver.when(
        step, [] { return active_box<QMessageBox>() != nullptr; },
        [&shown] {
            QMessageBox *box = active_box<QMessageBox>();
            shown = MessageShown::of(*box);
            QTest::keyClick(box->windowHandle(), Qt::Key_Return);
        });
}

/// Shows the program with its real boxes and confirms its options with
/// Return (the start button has the focus). True once the speech runs and
/// the main window is active again; the log is cleared.
inline bool start_by_keyboard(Quendra &window, Driver &driver)
{
    driver.when(
        QStringLiteral("options window active"),
        [&] {
            return window.options_window().isVisible() && window.options_window().isActiveWindow();
        },
        [&] { QTest::keyClick(window.options_window().windowHandle(), Qt::Key_Return); });
    window.show();
    window.activateWindow();
    const bool started =
        QTest::qWaitFor([&] { return window.presenter().script_running(); }, patience_ms) &&
        QTest::qWaitFor([&] { return window.isActiveWindow(); }, patience_ms) && driver.done();
    log().clear();
    return started;
}

/// The report sheet as it would show one entry's report, drawn on a report
/// window of our own.
inline QImage expected_report(const QString &date, const QString &name, int lottery_variant)
{
    bildschirm reference;
    DrawingArea &sheet = *reference.blatt();
    sheet.clear();
    write_report_lines(analysed(date, name, lottery_variant), sheet, OutputKind::screen,
                       Clock::pinned(pinned_now()));
    return sheet.image();
}

/// An empty sheet of the same size.
inline QImage blank_sheet()
{
    bildschirm reference;
    return reference.blatt()->image();
}

/// One running program at the pinned now, its boxes logged as steps, with a
/// Driver to act from the event loop and a WindowWatcher on its windows.
class Session : public support::ProgramSession
{
public:
    Session()
    {
        clock = Clock::pinned(pinned_now());
        end_program = log_end;
        prompts.step_log = &log();
    }

    Driver driver;
    WindowWatcher watcher;
};

} // namespace flow
