#pragma once

// The command line: what a start asks for, read before any window or display
// connection exists, so that `quendra --help` answers on a plain terminal. A
// start that gives any of the options presets the options window and skips
// it, which is what an unattended stand needs.

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

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
    QString display;                    // Qt's -display, the X display asked for

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

/// Reads the program's arguments, the program's own name first. Qt's own
/// options (-platform, -display, -style, -session, ...) are left to Qt.
CommandLine parse_command_line(const QStringList &arguments);
