#pragma once

// The command line, read by Qt's parser. Help, the version and a bad option
// of ours are answered before any display connection, so that `quendra
// --help` answers on a plain terminal. A start that gives any of the options
// presets the options window and skips it, which is what an unattended stand
// needs.

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

class QTranslator;

/// Exit status after a command line that cannot be followed.
inline constexpr int command_line_error_status = 2;
/// Exit status of a start while the program already runs on this display.
inline constexpr int already_running_status = 3;

/// What the command line asks of this start; an option not given stays empty.
struct StartOptions
{
    std::optional<bool> printout;       // --ausdruck (true) or --anzeige (false)
    std::optional<int> lottery_variant; // --lotto 45 or 49
    bool original_size = false;         // --originalgroesse: the design at 800 x 588

    /// True when the options window is to be preset and skipped.
    bool presets_options() const { return printout.has_value() || lottery_variant.has_value(); }
};

/// A command line answered without starting the program: help, version or an
/// error. The text goes to standard output with status 0, else to standard error.
struct CommandLineAnswer
{
    int status = 0;
    QString text;
};

using CommandLine = std::variant<StartOptions, CommandLineAnswer>;

/// Before the application object: the answer to a command line that needs
/// no display, the program's own name first. Qt's options are still among
/// the arguments then: a line with an option we do not know gets no answer
/// here when it also names one of Qt's, as the unknown one may be its value.
std::optional<CommandLineAnswer> answer_before_start(const QStringList &arguments);

/// Once the application object has taken Qt's own options out of the
/// arguments (QCoreApplication::arguments()): what is left is all ours.
CommandLine read_command_line(const QStringList &arguments);

/// Loads Qt's own German texts: the parser's messages, the boxes' buttons.
bool load_qt_german(QTranslator &translator);
