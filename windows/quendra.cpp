#include "quendra.h"
#include "ui_quendra.h"

#include "accessibility.h"
#include "bildschirm.h"
#include "centring.h"
#include "design_scale.h"
#include "dialog.h"
#include "drawing_area.h"
#include "engine.h"
#include "pictures.h"
#include "platform.h"
#include "printing.h"
#include "program_state.h"
#include "read_birth_entry.h"
#include "report_lines.h"
#include "typed_bubble.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <cmath>

namespace {

int scaled(int interval_ms, double time_scale)
{
    return std::max(1, static_cast<int>(std::lround(interval_ms * time_scale)));
}

const QString exit_question = QStringLiteral("Wollen Sie das Programm beenden");
const QString exit_title = QStringLiteral("Ende");
const QString print_failure_title = QStringLiteral("Drucken nicht möglich");

// What a reader is told the professor's face shows.
QString face_description(Presenter::Face face)
{
    switch (face) {
    case Presenter::Face::friendly:
        return QStringLiteral("Der Professor schaut freundlich");
    case Presenter::Face::smiling:
        return QStringLiteral("Der Professor lacht");
    case Presenter::Face::cross:
        return QStringLiteral("Der Professor schaut böse");
    }
    return {};
}

} // namespace

Quendra::Quendra(QuendraSetup setup, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::Quendra>()), held_keys(key_repeats_unmarked()),
      clock(std::move(setup.clock)),
      end_program(setup.end_program ? std::move(setup.end_program) : ProgramEnd(end_process)),
      pictures(end_program), real_prompts(this), scripted_prompts(setup.prompts),
      design(setup.design)
{
    ui->setupUi(this);
    // A kiosk window: no frame, the whole screen; it takes every key itself
    // before any control could, so any key starts an analysis.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFocusPolicy(Qt::StrongFocus);
    ui->blase->setTextFormat(Qt::PlainText);
    ui->Label1->installEventFilter(this);
    ui->Label7->installEventFilter(this);
    // Readers reach the program's end through the click on either label.
    offer_click(*ui->Label1);
    offer_click(*ui->Label7);

    state_.options_confirmed = false;
    ui->Picture2->setPixmap(QPixmap::fromImage(pictures.load(QStringLiteral("kopf.jpg"))));
    ui->logo->setPixmap(QPixmap::fromImage(pictures.load(QStringLiteral("logo.jpg"))));

    // Qt draws the whole design larger on a larger screen; it sits in the
    // middle of a wider one, anew whenever the screen changes.
    places = std::make_unique<DesignPlaces>(*this);
    prof_file = QStringLiteral(":/pictures/professor.jpg");
    prof_picture = ui->Prof->pixmap().toImage();
    fit_design();
    if (design) {
        connect(design, &DesignScale::changed, this, [this](QScreen *changed) {
            if (changed == screen())
                fit_design();
        });
    }
    connect(&professor, &Presenter::caption_changed, ui->blase, &TypedBubble::show_text);
    connect(&professor, &Presenter::face_chosen, this, &Quendra::show_face);
    // Readers hear a sentence once, at the tick that finds it typed out.
    announce_sentence(ui->blase, QString());
    connect(&professor, &Presenter::sentence_finished, ui->blase, [this] {
        if (professor.speech_pos() == professor.speech_text().size() + 1)
            announce_sentence(ui->blase, professor.speech_text());
    });

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
    // Moved to another screen, it takes that screen's design.
    if (event->type() == QEvent::Show && windowHandle())
        connect(windowHandle(), &QWindow::screenChanged, this, &Quendra::fit_design,
                Qt::UniqueConnection);
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
    bubble_widened = true;
    fit_design();
    if (!state_.options_confirmed)
        options_window().exec();
    professor.start_script();
    activateWindow();
}

void Quendra::keyPressEvent(QKeyEvent *event)
{
    // One analysis at a time: keys while a report runs are ignored. A key
    // held down never gets here again (HeldKeys).
    if (professor.reports_running() > 0 || !state_.options_confirmed) {
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

void Quendra::resizeEvent(QResizeEvent *event)
{
    // A new size comes with a new screen: the design is fitted to it and
    // drawn anew, all of it, as the window system may hand over a new buffer.
    QWidget::resizeEvent(event);
    fit_design();
    update();
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
    show_in_prof(file, pictures.load(file));
    ui->Prof->setAccessibleDescription(face_description(face));
}

void Quendra::show_in_prof(const QString &file, const QImage &picture)
{
    prof_file = file;
    prof_picture = picture;
    ui->Prof->setPixmap(smooth.for_ratio(file, picture, ui->Prof->devicePixelRatioF()));
}

void Quendra::fit_design()
{
    const QScreen *display = screen();
    const double factor = design ? design->factor(display) : 1.0;
    const int width = display ? display->geometry().width() : 0;
    places->place(design_offset(width, factor));
    if (bubble_widened)
        ui->blase->resize(bubble_width(width, ui->blase->x(), factor), ui->blase->height());
    ui->blase->set_retained(factor > 1.0);
    show_in_prof(prof_file, prof_picture);
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
    show_in_prof(QStringLiteral("p_roben.jpg"), pictures.load(QStringLiteral("p_roben.jpg")));
    ui->Prof->setAccessibleDescription(QStringLiteral("Der Professor am Drucker"));
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
