#include "quendra.h"
#include "ui_quendra.h"

#include "bildschirm.h"
#include "design_scale.h"
#include "dialog.h"
#include "drawing_area.h"
#include "engine.h"
#include "pictures.h"
#include "printing.h"
#include "program_state.h"
#include "read_birth_entry.h"
#include "report_lines.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include <cmath>

namespace {

int scaled(int interval_ms, double time_scale)
{
    return std::max(1, static_cast<int>(std::lround(interval_ms * time_scale)));
}

const QString exit_question = QStringLiteral("Wollen Sie das Programm beenden");
const QString exit_title = QStringLiteral("Ende");
const QString print_failure_title = QStringLiteral("Drucken nicht möglich");

} // namespace

Quendra::Quendra(QuendraSetup setup, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::Quendra>()), clock(std::move(setup.clock)),
      end_program(setup.end_program ? std::move(setup.end_program) : ProgramEnd(end_process)),
      pictures(end_program), real_prompts(this), scripted_prompts(setup.prompts),
      design_factor(setup.design_scale)
{
    ui->setupUi(this);
    // A kiosk window: no frame, the whole screen; it takes every key itself
    // before any control could, so any key starts an analysis.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFocusPolicy(Qt::StrongFocus);
    ui->blase->setTextFormat(Qt::PlainText);
    ui->Label1->installEventFilter(this);
    ui->Label7->installEventFilter(this);

    state_.options_confirmed = false;
    ui->Picture2->setPixmap(QPixmap::fromImage(pictures.load(QStringLiteral("kopf.jpg"))));
    ui->logo->setPixmap(QPixmap::fromImage(pictures.load(QStringLiteral("logo.jpg"))));

    // Qt draws the whole design larger on a larger screen; it sits in the
    // middle of a wider one.
    const QScreen *display = screen();
    place_design(*this, design_offset(display ? display->geometry().width() : 0, design_factor));
    smooth_picture(*ui->Prof);
    if (design_factor > 1.0)
        retain_typed_text(*ui->blase);
    connect(&professor, &Presenter::caption_changed, ui->blase,
            [this](const QString &caption) { show_text(*ui->blase, caption); });
    connect(&professor, &Presenter::face_chosen, this, &Quendra::show_face);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(scaled(typewriter_interval_ms, setup.time_scale));
    connect(Timer2, &QTimer::timeout, &professor, &Presenter::typewriter_step);
    Timer2->start();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(scaled(face_interval_ms, setup.time_scale));
    connect(Timer1, &QTimer::timeout, &professor, [this] { professor.face_step(generator); });
    Timer1->start();
}

Quendra::~Quendra() = default;

Prompts &Quendra::prompts()
{
    return scripted_prompts ? *scripted_prompts : real_prompts;
}

Dialog &Quendra::options_window()
{
    if (!options) {
        options = std::make_unique<Dialog>(this);
        connect(options.get(), &Dialog::confirmed, this,
                [this] { state_.options_confirmed = true; });
    }
    return *options;
}

bildschirm &Quendra::ensure_report_window()
{
    if (!report) {
        report = std::make_unique<bildschirm>(this);
        connect(report.get(), &bildschirm::print_requested, this, [this] {
            state_.reprint_pending = true;
            a_druck();
        });
    }
    return *report;
}

bool Quendra::event(QEvent *event)
{
    // The activate step runs once, when the window first becomes active: the
    // options window, then the speech. Later activations need no new run, as
    // every report hands the professor back itself.
    if (event->type() == QEvent::WindowActivate)
        begin_once();
    // A window manager may refuse the new window the focus; the professor
    // must start all the same.
    if (event->type() == QEvent::Show && !activated_once)
        QTimer::singleShot(activation_grace_ms, this, &Quendra::begin_once);
    return QWidget::event(event);
}

void Quendra::begin_once()
{
    if (activated_once)
        return;
    activated_once = true;
    QMetaObject::invokeMethod(this, &Quendra::activate_step, Qt::QueuedConnection);
}

void Quendra::activate_step()
{
    ui->Picture1->setPixmap(ui->Picture2->pixmap());
    if (const QScreen *display = screen())
        ui->blase->resize(bubble_width(display->geometry().width(), ui->blase->x(), design_factor),
                          ui->blase->height());
    if (!state_.options_confirmed)
        options_window().exec();
    professor.start_script();
    activateWindow();
}

void Quendra::keyPressEvent(QKeyEvent *event)
{
    // One analysis at a time: keys while a report runs are ignored, and a
    // key held down does not queue up one analysis after another.
    if (event->isAutoRepeat() || professor.reports_running() > 0 || !state_.options_confirmed) {
        event->accept();
        return;
    }
    event->accept();
    if (options_window().printout_selected())
        a_druck();
    else
        a_bildschirm();
    // The boxes and the report window took the focus; the next person's key
    // must reach this window again, with or without a window manager.
    activateWindow();
}

bool Quendra::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == ui->Label1 || watched == ui->Label7) &&
        event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto *label = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            confirm_exit();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Quendra::closeEvent(QCloseEvent *event)
{
    // Closed by the window system: nothing else would stop the professor.
    event->accept();
    end_program(0);
}

void Quendra::confirm_exit()
{
    if (prompts().ask_yes_no(exit_question, exit_title))
        end_program(0);
    // No: the box took the focus; keys must reach the professor again.
    activateWindow();
}

void Quendra::show_face(Presenter::Face face)
{
    const QString file = face == Presenter::Face::friendly  ? QStringLiteral("P_normal.jpg")
                         : face == Presenter::Face::smiling ? QStringLiteral("P_smile.jpg")
                                                            : QStringLiteral("P_böse.jpg");
    ui->Prof->setPixmap(QPixmap::fromImage(pictures.load(file)));
}

void Quendra::a_bildschirm()
{
    professor.take_over();
    bildschirm &window = ensure_report_window();

    const std::optional<AcceptedEntry> entry =
        read_birth_entry(OutputKind::screen, prompts(), state_, professor, *this, clock);
    if (!entry) {
        end_report();
        return;
    }

    // Figures and drawing in one go: nothing may run in between.
    const AnalysisResult result =
        analyse_entry(*entry, options_window().read_lottery_variant(), clock.now(), generator);
    DrawingArea &blatt = *window.blatt();
    blatt.clear();
    write_report_lines(result, blatt, OutputKind::screen, clock);

    professor.wait_for_sentence();
    professor.end_report();
    unsetCursor();
    window.exec();
    professor.hand_back();
}

void Quendra::a_druck()
{
    ui->Prof->setPixmap(QPixmap::fromImage(pictures.load(QStringLiteral("p_roben.jpg"))));
    professor.take_over();

    const std::optional<AcceptedEntry> entry =
        read_birth_entry(OutputKind::printer, prompts(), state_, professor, *this, clock);
    if (!entry) {
        end_report();
        return;
    }

    const AnalysisResult result =
        analyse_entry(*entry, options_window().read_lottery_variant(), clock.now(), generator);
    const std::optional<QString> failure = print_on_default_printer(
        result, ui->Picture2->pixmap().toImage(), ui->logo->pixmap().toImage(), clock);
    if (failure) {
        // A printer fault costs this page, not the session: say why and go on.
        unsetCursor();
        prompts().show_error(*failure, print_failure_title);
        end_report();
        return;
    }

    professor.wait_for_sentence();
    end_report();
}

void Quendra::end_report()
{
    professor.end_report();
    unsetCursor();
    professor.hand_back();
}
