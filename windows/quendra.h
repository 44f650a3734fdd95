#pragma once

// The main window and the program's flow.
//
// Quendra fills the screen with the professor (Presenter) and turns any key
// into a birthday analysis: a_bildschirm shows it in the report window,
// a_druck prints it, as chosen once in the options window (Dialog). Entries
// come in through the prompt layer (read_birth_entry), figures from the
// engine, lines through write_report_lines onto the report window's `blatt`
// or the printer. Waiting for the professor blocks in the event loop, never
// polls, and every report unwinds completely before the next may start.

#include "clock.h"
#include "held_keys.h"
#include "pictures.h"
#include "presenter.h"
#include "program_state.h"
#include "prompts.h"
#include "smooth_picture.h"

#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class Quendra;
}
class Dialog;
class DesignPlaces;
class DesignScale;
class bildschirm;
class QLabel;

/// What the main window is handed when it is made.
struct QuendraSetup
{
    /// The clock the entries and reports read; the real local clock by default.
    Clock clock;
    /// Scales both timers' intervals, so tests can run an hour of speech in seconds.
    double time_scale = 1.0;
    /// The boxes to ask through; the real ones when null.
    Prompts *prompts = nullptr;
    /// How many times larger than its design Qt draws every window and box
    /// on each screen (design_scale.h); at its size when null. Above 1 the
    /// design is centred on a wider screen.
    const DesignScale *design = nullptr;
    /// How the program ends (program_state.h); the real end when empty.
    ProgramEnd end_program;
};

class Quendra : public QWidget
{
    Q_OBJECT

public:
    static constexpr int typewriter_interval_ms = 100;
    static constexpr int face_interval_ms = 1000;
    /// How long the window waits for the focus before it starts anyway.
    static constexpr int activation_grace_ms = 1000;

    /// Loads the header and logo pictures; a missing one ends the program.
    explicit Quendra(QuendraSetup setup = {}, QWidget *parent = nullptr);
    ~Quendra() override;

    /// The screen report: entry, figures, drawing, then the report window.
    void a_bildschirm();
    /// The printed report: entry (or the kept one for a reprint), figures, one page.
    void a_druck();

    /// The options window, created with its defaults on first use.
    Dialog &options_window();
    /// The report window, created hidden on first use; null before that.
    bildschirm *report_window() const { return report.get(); }
    Presenter &presenter() { return professor; }
    /// The run's one random generator: each analysis seeds it, the face
    /// changer draws from it in between.
    QRandomGenerator &random_generator() { return generator; }
    /// The run's state: the kept entry, a pending reprint, the confirmed options.
    ProgramState &state() { return state_; }

    /// Asks whether to end the program; Yes ends it at once.
    void confirm_exit();

    QTimer *Timer1 = nullptr; // face changer
    QTimer *Timer2 = nullptr; // typewriter

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void begin_once();
    void activate_step();
    void show_face(Presenter::Face face);
    /// Shows a picture file in Prof, smooth at the screen's factor.
    void show_in_prof(const QString &file, const QImage &picture);
    /// Fits the design to the screen the window is on, at its factor.
    void fit_design();
    /// A report is over: faces change again, default pointer, professor handed back.
    void end_report();
    bildschirm &ensure_report_window();
    Prompts &prompts();

    std::unique_ptr<Ui::Quendra> ui;
    // For every window of the program: a held key is one press.
    HeldKeys held_keys;
    ProgramState state_;
    Clock clock;
    ProgramEnd end_program;
    QRandomGenerator generator;
    PictureLoader pictures;
    Presenter professor;
    QtPrompts real_prompts;
    Prompts *scripted_prompts;
    std::unique_ptr<Dialog> options;
    std::unique_ptr<bildschirm> report;
    bool activated_once = false;
    bool bubble_widened = false;
    const DesignScale *design;
    std::unique_ptr<DesignPlaces> places;
    SmoothPictures smooth;
    QString prof_file;
    QImage prof_picture;
};
