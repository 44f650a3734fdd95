// Quendra: a personal birthday analysis with Professor Zuz Zarnok.

#include "accessibility.h"
#include "command_line.h"
#include "design_scale.h"
#include "dialog.h"
#include "platform.h"
#include "program_state.h"
#include "quendra.h"
#include "single_instance.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

namespace {

QStringList arguments_of(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    // Help, the version and a bad option of ours need no display.
    if (const auto answer = answer_before_start(arguments_of(argc, argv))) {
        write_console(answer->text, answer->status == 0 ? stdout : stderr);
        return answer->status;
    }

    // The launcher's tokens, before any other thread can read the
    // environment.
    const LaunchTokens launch_tokens = take_launch_tokens();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quendra"));
    QApplication::setApplicationVersion(QStringLiteral(QUENDRA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.example.quendra"));
    // Qt's own words in German: the parser's messages, the boxes' buttons
    // ("Ja", "Nein", "Abbrechen").
    QTranslator qt_german;
    if (load_qt_german(qt_german))
        QApplication::installTranslator(&qt_german);

    // Qt has taken its own options out: the rest is ours.
    const CommandLine command_line = read_command_line(QCoreApplication::arguments());
    if (const auto *answer = std::get_if<CommandLineAnswer>(&command_line)) {
        write_console(answer->text, answer->status == 0 ? stdout : stderr);
        return answer->status;
    }
    const StartOptions &options = std::get<StartOptions>(command_line);

    install_accessibility();

    // One Quendra per user and display; a second start ends before it shows
    // anything.
    SingleInstance instance(instance_display());
    if (!instance.claim(launch_token(launch_tokens))) {
        write_console(QStringLiteral("quendra: Quendra läuft auf dieser Anzeige bereits; das "
                                     "laufende Programm bleibt, wie es ist.\n"),
                      stderr);
        return already_running_status;
    }

    // The design fills the screen it is on, unless asked to keep its size.
    // Qt draws it larger, from the first window on, and anew when the screen
    // changes.
    DesignScale design(options.original_size);
    QuendraSetup setup;
    setup.design = &design;
    // The end skips every destructor, so the lock and socket go first.
    setup.end_program = [&instance](int status) {
        instance.release();
        end_process(status);
    };

    // The design's faces, or their twins where the system lacks them.
    substitute_design_fonts(Quendra::staticMetaObject);

    Quendra window(setup);
    // Options from the command line: the options window is preset and never
    // shown, so a stand starts without anyone at the keyboard.
    if (options.presets_options()) {
        Dialog &dialog = window.options_window();
        dialog.preset(options.printout.value_or(dialog.printout_selected()),
                      options.lottery_variant.value_or(dialog.read_lottery_variant()));
    }
    // A second start brings this one, or the box it shows, to the front.
    QObject::connect(&instance, &SingleInstance::knocked, &window,
                     [&window](const QByteArray &token) {
                         QWidget *modal = QApplication::activeModalWidget();
                         bring_to_front(modal ? *modal : window, token);
                     });

    // Without a window manager nobody honours the full-screen request, so the
    // window takes the screen's geometry itself as well.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->geometry());
    window.showFullScreen();
    activate_after_launch(window, launch_tokens);
    return QApplication::exec();
}
