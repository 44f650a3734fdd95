#pragma once

#include "birth_entry.h"
#include "clock.h"
#include "report_lines.h"

#include <QString>

#include <optional>

class Presenter;
class Prompts;
class QWidget;
struct ProgramState;

namespace entry_texts {
inline const QString title = QStringLiteral("Eingabe");
inline const QString date_prompt =
    QStringLiteral("Gib Dein Geburtsdatum ein (TTMMJJJJ)\r\n Zum Beispiel: 24011973");
inline const QString name_prompt = QStringLiteral("Gib Deinen Namen ein");
inline const QString error_text =
    QStringLiteral("Du hast das Datum falsch eingeben ! Gib das Datum im Format TTMMJJJJ also "
                   "z.B.: 24011973 ein !");
inline const QString error_title = QStringLiteral("falsches Geburtsdatum");
inline const QString screen_sentence =
    QStringLiteral("Ich rechne nun und gleich kannst Du Deine Quendra anschauen.");
inline const QString printer_sentence =
    QStringLiteral("Ich rechne nun und gleich kommt Deine Quendra am Drucker raus.");
} // namespace entry_texts

/// Asks for birth date and name until an entry is accepted (nullopt when the
/// user cancels or leaves a box empty). A wrong date gets the error box and
/// both questions again. Once a date passes the range checks (before the day
/// search) the pointer shows the hourglass, the presenter has the report's
/// sentence, and a screen entry is kept in state. The checks and the search
/// read clock once.
std::optional<AcceptedEntry> read_birth_entry(OutputKind target, Prompts &prompts,
                                              ProgramState &state, Presenter &presenter,
                                              QWidget &pointer_window, const Clock &clock);
