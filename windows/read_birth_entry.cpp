#include "read_birth_entry.h"

#include "clock.h"
#include "presenter.h"
#include "program_state.h"
#include "prompts.h"

#include <QWidget>

std::optional<AcceptedEntry> read_birth_entry(EntryTarget target, Prompts &prompts,
                                              ProgramState &state, Presenter &presenter,
                                              QWidget &pointer_window)
{
    const bool printer = target == EntryTarget::printer;
    for (;;) {
        pointer_window.unsetCursor();

        // A reprint takes the entry the screen report kept, without asking.
        const QString date_text = printer && state.reprint_pending
                                      ? state.last_date_text
                                      : prompts.ask_text(entry_texts::date_prompt,
                                                         entry_texts::title);
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
        const QDateTime current = now();
        if (const std::optional<CheckedEntry> checked =
                check_birth_entry(date_text, current.date().year())) {
            pointer_window.setCursor(Qt::WaitCursor);
            if (!printer) {
                state.last_date_text = date_text;
                state.last_name = name;
                state.reprint_pending = false;
            }
            presenter.say(printer ? entry_texts::printer_sentence
                                  : entry_texts::screen_sentence);

            if (const std::optional<DayCount> count = count_days_back(date_text, current))
                return AcceptedEntry{date_text, name, *checked, *count, current.date().year()};
        }
        prompts.show_error(entry_texts::error_text, entry_texts::error_title);
    }
}
