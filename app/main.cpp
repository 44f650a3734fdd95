// Quendra: a personal birthday analysis with Professor Zuz Zarnok.

#include "command_line.h"
#include "design_scale.h"
#include "dialog.h"
#include "keyboard_focus.h"
#include "program_state.h"
#include "quendra.h"
#include "single_instance.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#include <string>
#endif

namespace {

QStringList arguments_of(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

#ifdef Q_OS_WIN
// Windows gives a GUI program no console, so help and errors asked for in
// one would vanish: the program writes to the console it was started from.
void attach_parent_console()
{
    const auto missing = [](DWORD which) {
        const HANDLE handle = GetStdHandle(which);
        return handle == nullptr || handle == INVALID_HANDLE_VALUE;
    };
    const bool no_output = missing(STD_OUTPUT_HANDLE);
    const bool no_errors = missing(STD_ERROR_HANDLE);
    // Redirected output stays where it was sent.
    if (!(no_output || no_errors) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (no_output)
        std::freopen("CONOUT$", "w", stdout);
    if (no_errors)
        std::freopen("CONOUT$", "w", stderr);
}
#endif

void write_text(const QString &text, FILE *stream)
{
#ifdef Q_OS_WIN
    attach_parent_console();
    // A console shows UTF-16 whatever its code page; files and pipes get UTF-8.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        std::fflush(stream);
        const std::wstring wide = text.toStdWString();
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
#endif
    std::fputs(text.toUtf8().constData(), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // Read before Qt connects to a display, so that help, version and errors
    // need none. Qt's own options are left for Qt.
    const CommandLine command_line = parse_command_line(arguments_of(argc, argv));
    if (const auto *answer = std::get_if<CommandLineAnswer>(&command_line)) {
        write_text(answer->text, answer->status == 0 ? stdout : stderr);
        return answer->status;
    }
    const StartOptions &options = std::get<StartOptions>(command_line);

    // The launcher's Wayland activation token, taken out of the environment
    // while no other thread can read it, so that it goes with the first
    // window's activation and not to whatever Qt activates first or to a
    // program we start. On X11 Qt itself takes the startup id at its first
    // window; a second start only forwards it.
    const QByteArray wayland_token = qgetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("XDG_ACTIVATION_TOKEN");
    const QByteArray x11_startup_id = qgetenv("DESKTOP_STARTUP_ID");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quendra"));
    QApplication::setApplicationVersion(QStringLiteral(QUENDRA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.example.quendra"));

    // One Quendra per user and display; a second start ends before it shows
    // anything.
    SingleInstance instance(instance_display(options.display));
    const bool on_x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (!instance.claim(on_x11 ? x11_startup_id : wayland_token)) {
        write_text(QStringLiteral("quendra: Quendra läuft auf dieser Anzeige bereits; das "
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

#ifndef Q_OS_WIN
    // The windows name the classic Windows faces; elsewhere use their metric
    // twins. Windows has the faces themselves.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
#endif

    // The boxes' buttons speak German too ("Ja", "Nein", "Abbrechen").
    QTranslator qt_german;
    if (qt_german.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt_german);

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
    if (!on_x11 && !wayland_token.isEmpty())
        bring_to_front(window, wayland_token);
    return QApplication::exec();
}
