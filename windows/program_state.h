#pragma once

#include <QString>

#include <functional>

// One record for the whole run: the last accepted screen entry (for the
// reprint button) and whether the options have been confirmed. The main
// window owns it and hands it to whoever needs it.
struct ProgramState
{
    QString last_date_text;
    QString last_name;
    bool reprint_pending = false;
    bool options_confirmed = false;
};

/// Ends the program at once with status: no handler further up runs and
/// nothing is saved. Tests install a handler that records the call instead;
/// with such a handler installed, end_program returns and callers go on.
void end_program(int status);

/// Installs the test handler for end_program; an empty one restores the real end.
void set_program_end_handler(std::function<void(int status)> handler);
