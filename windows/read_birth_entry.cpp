#include "read_birth_entry.h"

#include "platform.h"
#include "presenter.h"
#include "program_state.h"
#include "prompts.h"

#include <QCursor>
#include <QWidget>

std::optional<AcceptedEntry> read_birth_entry(OutputKind target, Prompts &prompts,
                                              ProgramState &state, Presenter &presenter,
                                              QWidget &pointer_window, const Clock &clock)
{
    const bool printer = target == OutputKind::printer;
    for (;;) {
        pointer_window.unsetCursor();

        // A reprint takes the entry the screen report kept, without asking.
        const QString date_text =
            printer && state.reprint_pending
                ? state.last_date_text
                : prompts.ask_text(entry_texts::date_prompt, entry_texts::title);
        if (date_text.isEmpty())
            return std::nullopt;
        const QString name = printer && state.reprint_pending
                                 ? state.last_name
                                 : prompts.ask_text(entry_texts::name_prompt, entry_texts::title);
        if (printer)
            state.reprint_pending = false; // a rejected kept entry is asked for next time
        if (name.isEmpty())
            return std::nullopt;

        // One reading of the clock for the checks and the whole search, so
        // midnight passing in between cannot shift the answer by a day.
        const auto checks_passed = [&] {
            pointer_window.setCursor(hourglass_cursor());
            if (!printer) {
                state.last_date_text = date_text;
                state.last_name = name;
                state.reprint_pending = false;
            }
            presenter.say(printer ? entry_texts::printer_sentence : entry_texts::screen_sentence);
        };
        if (std::optional<AcceptedEntry> accepted =
                accept_birth_entry(date_text, name, clock.now(), checks_passed))
            return accepted;
        prompts.show_error(entry_texts::error_text, entry_texts::error_title);
    }
}
