#include "command_line.h"

#include <QCommandLineParser>

#include <algorithm>
#include <vector>

namespace {

const QString program = QStringLiteral("quendra");

/// One option: the parser, the checks and the help text all read this table.
struct OptionRow
{
    QStringList names;   // the first is the one asked for below
    QString value_name;  // empty for a switch
    QStringList allowed; // the values an option takes; empty: any
    QString description;
};

const std::vector<OptionRow> &option_rows()
{
    static const std::vector<OptionRow> rows = {
        {{QStringLiteral("h"), QStringLiteral("help")},
         {},
         {},
         QStringLiteral("Diese Hilfe zeigen und beenden.")},
        {{QStringLiteral("v"), QStringLiteral("version")},
         {},
         {},
         QStringLiteral("Die Versionsnummer zeigen und beenden.")},
        {{QStringLiteral("anzeige")},
         {},
         {},
         QStringLiteral("Jede Auswertung am Bildschirm anzeigen.")},
        {{QStringLiteral("ausdruck")},
         {},
         {},
         QStringLiteral("Jede Auswertung gleich auf dem Standarddrucker drucken.")},
        {{QStringLiteral("lotto")},
         QStringLiteral("Zahl"),
         {QStringLiteral("45"), QStringLiteral("49")},
         QStringLiteral("Lotto 6 aus 45 (Österreich) oder 6 aus 49 (Deutschland).")},
        {{QStringLiteral("originalgroesse")},
         {},
         {},
         QStringLiteral("Alles in der ursprünglichen Größe von 800 × 588 Bildpunkten zeigen.")},
    };
    return rows;
}

/// One of Qt's own application options, which Qt reads from the same
/// command line when the application object is made.
struct QtOption
{
    const char *name;
    bool takes_value;
};

// Qt's documented options (QGuiApplication, QApplication, and those of the
// X11 platform); a session manager restarts a program with -session.
constexpr QtOption qt_options[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"display", true},
    {"geometry", true},
    {"title", true},
    {"icon", true},
    {"name", true},
    {"visual", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
    {"qmljsdebugger", false},
};

/// The Qt option that argument names, if any: "-platform", "--style=fusion".
const QtOption *qt_option(const QString &argument)
{
    if (!argument.startsWith(QLatin1Char('-')))
        return nullptr;
    QStringView name = QStringView(argument).mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    name = name.left(name.indexOf(QLatin1Char('=')));
    for (const QtOption &option : qt_options) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString quoted(const QString &text)
{
    return QStringLiteral("„%1“").arg(text);
}

QString help_text()
{
    QStringList left;
    for (const OptionRow &row : option_rows()) {
        QStringList names;
        for (const QString &name : row.names)
            names.append(dashed(name));
        QString column = QStringLiteral("  ") + names.join(QStringLiteral(", "));
        if (!row.value_name.isEmpty())
            column += QStringLiteral(" <%1>").arg(row.value_name);
        left.append(column);
    }
    const qsizetype width = std::ranges::max(left, {}, &QString::size).size() + 3;

    QString text = QStringLiteral(
        "Aufruf: quendra [Optionen]\n"
        "Persönliche Geburtstagsanalyse mit Professor Zuz Zarnok.\n"
        "\n"
        "Ohne Optionen fragt das Fenster „Programmoptionen“ beim Start, ob jede\n"
        "Auswertung angezeigt oder gedruckt wird und welches Lotto gilt. --anzeige,\n"
        "--ausdruck und --lotto legen diese Wahl fest, und das Fenster erscheint\n"
        "nicht; was nicht angegeben ist, bleibt bei der Voreinstellung (Anzeige am\n"
        "Bildschirm, Österreich 6 aus 45).\n"
        "\n"
        "Die üblichen Optionen von Qt, etwa -platform, -display, -style oder\n"
        "-session, gehen unverändert an Qt.\n"
        "\n"
        "Optionen:\n");
    for (std::size_t i = 0; i < option_rows().size(); ++i)
        text += left[i].leftJustified(width) + option_rows()[i].description + QLatin1Char('\n');
    text += QStringLiteral("\n"
                           "Exit-Status: 0 nach dem Beenden, %1 bei falschen Argumenten, %2 wenn\n"
                           "Quendra auf dieser Anzeige schon läuft.\n")
                .arg(command_line_error_status)
                .arg(already_running_status);
    return text;
}

CommandLineAnswer error(const QString &message)
{
    return {command_line_error_status,
            QStringLiteral("%1: %2\nMehr dazu: %1 --help\n").arg(program, message)};
}

/// The allowed values of row for a message: "45 oder 49", "45 und 49".
QString listed(const OptionRow &row, const QString &conjunction)
{
    return row.allowed.join(QStringLiteral(" %1 ").arg(conjunction));
}

const OptionRow *row_named(const QString &name)
{
    for (const OptionRow &row : option_rows()) {
        if (row.names.contains(name))
            return &row;
    }
    return nullptr;
}

} // namespace

CommandLine parse_command_line(const QStringList &all_arguments)
{
    // Qt's own options are Qt's to read; only the rest is ours.
    QStringList arguments;
    StartOptions options;
    for (qsizetype i = 0; i < all_arguments.size(); ++i) {
        const QString &argument = all_arguments[i];
        const QtOption *option = i > 0 ? qt_option(argument) : nullptr;
        if (!option) {
            arguments.append(argument);
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        QString value = equals < 0 ? QString() : argument.mid(equals + 1);
        if (option->takes_value && equals < 0) {
            if (i + 1 == all_arguments.size())
                return error(QStringLiteral("%1 braucht einen Wert.").arg(quoted(argument)));
            value = all_arguments[++i];
        }
        if (qstrcmp(option->name, "display") == 0)
            options.display = value;
    }

    QCommandLineParser parser;
    for (const OptionRow &row : option_rows())
        parser.addOption(QCommandLineOption(row.names, row.description, row.value_name));

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return error(
                QStringLiteral("Unbekannte Option %1.").arg(quoted(dashed(unknown.first()))));
        // The parser's only other complaint: an option that takes a value came
        // last, without one.
        const QString last = arguments.last();
        QString name = last;
        while (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        const OptionRow *row = row_named(name);
        if (row && !row->allowed.isEmpty())
            return error(QStringLiteral("%1 braucht einen Wert: %2.")
                             .arg(quoted(last), listed(*row, QStringLiteral("oder"))));
        return error(QStringLiteral("%1 braucht einen Wert.").arg(quoted(last)));
    }

    if (parser.isSet(QStringLiteral("help")))
        return CommandLineAnswer{0, help_text()};
    if (parser.isSet(QStringLiteral("version")))
        return CommandLineAnswer{
            0, QStringLiteral("Quendra %1\n").arg(QStringLiteral(QUENDRA_VERSION))};
    if (!parser.positionalArguments().isEmpty())
        return error(QStringLiteral("Unerwartetes Argument %1.")
                         .arg(quoted(parser.positionalArguments().first())));

    // Every value given must be one of those allowed, and an option given
    // twice must say the same both times.
    for (const OptionRow &row : option_rows()) {
        if (row.allowed.isEmpty())
            continue;
        QStringList values = parser.values(row.names.first());
        const QString option = dashed(row.names.first());
        for (const QString &value : values) {
            if (!row.allowed.contains(value))
                return error(
                    QStringLiteral("%1 ist kein Wert für %2; erlaubt sind %3.")
                        .arg(quoted(value), quoted(option), listed(row, QStringLiteral("und"))));
        }
        values.removeDuplicates();
        if (values.size() > 1)
            return error(QStringLiteral("%1 und %2 schließen einander aus.")
                             .arg(quoted(option + QLatin1Char(' ') + values[0]),
                                  quoted(option + QLatin1Char(' ') + values[1])));
    }

    const bool screen = parser.isSet(QStringLiteral("anzeige"));
    const bool printer = parser.isSet(QStringLiteral("ausdruck"));
    if (screen && printer)
        return error(QStringLiteral("„--anzeige“ und „--ausdruck“ schließen einander aus."));
    if (screen || printer)
        options.printout = printer;
    if (parser.isSet(QStringLiteral("lotto")))
        options.lottery_variant = parser.value(QStringLiteral("lotto")).toInt();
    options.original_size = parser.isSet(QStringLiteral("originalgroesse"));
    return options;
}
