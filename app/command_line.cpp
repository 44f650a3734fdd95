#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <algorithm>

namespace {

// Qt's layout of a help text is one column narrower and wraps at 79
// characters; this one is laid out by hand and kept as it is.
const char help_text[] = R"(Aufruf: quendra [Optionen]
Persönliche Geburtstagsanalyse mit Professor Zuz Zarnok.

Ohne Optionen fragt das Fenster „Programmoptionen“ beim Start, ob jede
Auswertung angezeigt oder gedruckt wird und welches Lotto gilt. --anzeige,
--ausdruck und --lotto legen diese Wahl fest, und das Fenster erscheint
nicht; was nicht angegeben ist, bleibt bei der Voreinstellung (Anzeige am
Bildschirm, Österreich 6 aus 45).

Die üblichen Optionen von Qt, etwa -platform, -display, -style oder
-session, gehen unverändert an Qt.

Optionen:
  -h, --help          Diese Hilfe zeigen und beenden.
  -v, --version       Die Versionsnummer zeigen und beenden.
  --anzeige           Jede Auswertung am Bildschirm anzeigen.
  --ausdruck          Jede Auswertung gleich auf dem Standarddrucker drucken.
  --lotto <Zahl>      Lotto 6 aus 45 (Österreich) oder 6 aus 49 (Deutschland).
  --originalgroesse   Alles in der ursprünglichen Größe von 800 × 588 Bildpunkten zeigen.

Exit-Status: 0 nach dem Beenden, %1 bei falschen Argumenten, %2 wenn
Quendra auf dieser Anzeige schon läuft.
)";

CommandLineAnswer error(const QString &message)
{
    return {command_line_error_status,
            QStringLiteral("quendra: %1\nMehr dazu: quendra --help\n").arg(message)};
}

/// Whether an argument names one of Qt's documented options (those of
/// QGuiApplication, QApplication and the X11 platform), which Qt takes out
/// of the arguments when the application object is made.
bool names_qt_option(const QStringList &arguments)
{
    static const QStringList qt_options =
        QStringLiteral("platform platformpluginpath platformtheme plugin qwindowgeometry "
                       "qwindowicon qwindowtitle session style stylesheet display geometry "
                       "title icon name visual reverse widgetcount nograb dograb qmljsdebugger")
            .split(u' ');
    return std::any_of(arguments.cbegin() + 1, arguments.cend(), [](const QString &argument) {
        QStringView name(argument);
        if (!name.startsWith(u'-'))
            return false;
        name = name.mid(name.startsWith(u"--") ? 2 : 1);
        return qt_options.contains(name.left(name.indexOf(u'=')));
    });
}

/// Reads arguments; nothing while an option we do not know may be Qt's.
std::optional<CommandLine> read(const QStringList &arguments, bool qt_options_taken)
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption screen(QStringLiteral("anzeige"));
    const QCommandLineOption printer(QStringLiteral("ausdruck"));
    const QCommandLineOption lottery(QStringLiteral("lotto"), QString(), QStringLiteral("Zahl"));
    const QCommandLineOption original_size(QStringLiteral("originalgroesse"));
    QCommandLineParser parser;
    parser.addOptions({help, version, screen, printer, lottery, original_size});

    const bool parsed = parser.parse(arguments);
    if (!parser.unknownOptionNames().isEmpty() && !qt_options_taken && names_qt_option(arguments))
        return std::nullopt;
    if (!parsed)
        return error(parser.errorText());
    if (parser.isSet(help))
        return CommandLineAnswer{0, QString::fromUtf8(help_text)
                                        .arg(command_line_error_status)
                                        .arg(already_running_status)};
    if (parser.isSet(version))
        return CommandLineAnswer{
            0, QStringLiteral("Quendra %1\n").arg(QStringLiteral(QUENDRA_VERSION))};
    if (!parser.positionalArguments().isEmpty())
        return error(QStringLiteral("Unerwartetes Argument „%1“.")
                         .arg(parser.positionalArguments().first()));

    QStringList lotteries = parser.values(lottery);
    for (const QString &value : lotteries) {
        if (value != QLatin1String("45") && value != QLatin1String("49"))
            return error(QStringLiteral("„%1“ ist kein Wert für „--lotto“; erlaubt sind 45 und 49.")
                             .arg(value));
    }
    lotteries.removeDuplicates();
    if (lotteries.size() > 1)
        return error(QStringLiteral("„--lotto %1“ und „--lotto %2“ schließen einander aus.")
                         .arg(lotteries[0], lotteries[1]));
    if (parser.isSet(screen) && parser.isSet(printer))
        return error(QStringLiteral("„--anzeige“ und „--ausdruck“ schließen einander aus."));

    StartOptions options;
    if (parser.isSet(screen) || parser.isSet(printer))
        options.printout = parser.isSet(printer);
    if (!lotteries.isEmpty())
        options.lottery_variant = lotteries.first().toInt();
    options.original_size = parser.isSet(original_size);
    return options;
}

} // namespace

std::optional<CommandLineAnswer> answer_before_start(const QStringList &arguments)
{
    std::optional<CommandLine> line = read(arguments, false);
    if (!line || std::holds_alternative<StartOptions>(*line))
        return std::nullopt;
    if (std::get<CommandLineAnswer>(*line).status != 0 && !QCoreApplication::instance()) {
        // Qt's parser speaks German through a translator, and a translator
        // needs an application object; one without a display will do.
        int argc = 1;
        char name[] = "quendra";
        char *argv[] = {name, nullptr};
        QCoreApplication core(argc, argv);
        QTranslator german;
        if (load_qt_german(german))
            QCoreApplication::installTranslator(&german);
        line = read(arguments, false);
    }
    return std::get<CommandLineAnswer>(*line);
}

CommandLine read_command_line(const QStringList &arguments)
{
    return *read(arguments, true);
}

bool load_qt_german(QTranslator &translator)
{
    return translator.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                           QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}
