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

/// How the program ends: at once, with a status, from whatever depth of
/// nested windows; no handler further up runs and nothing is saved. The main
/// window is handed one; tests hand it one that records the call instead, and
/// then the caller goes on.
using ProgramEnd = std::function<void(int status)>;

/// The real end: flushes the output and ends the process at once.
[[noreturn]] void end_process(int status);
