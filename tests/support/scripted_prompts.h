#pragma once

// The prompt layer with answers from a script, for running the program in a
// test or a bench process: no box opens, every question is recorded, and a
// hook runs where a real box would wait for the user.

#include "prompts.h"
#include "read_birth_entry.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace support {

/// One question put to the prompt layer.
struct Asked
{
    enum Kind { input, error, yes_no };
    Kind kind;
    QString text;
    QString title;
};

/// A question as a step of a test's log: "ask date", "ask name", "ask text",
/// "error" or "yes/no".
inline QString step_name(const Asked &question)
{
    if (question.kind == Asked::error)
        return QStringLiteral("error");
    if (question.kind == Asked::yes_no)
        return QStringLiteral("yes/no");
    // Only the exact prompts count as the date and the name question.
    const bool entry = question.title == entry_texts::title;
    if (entry && question.text == entry_texts::date_prompt)
        return QStringLiteral("ask date");
    if (entry && question.text == entry_texts::name_prompt)
        return QStringLiteral("ask name");
    return QStringLiteral("ask text");
}

/// The prompt layer with answers from a queue. An exhausted queue answers
/// like a cancelled box: empty text, No.
class ScriptedPrompts final : public Prompts
{
public:
    QStringList text_answers;
    QList<bool> yes_no_answers;
    /// Every question, in order. It grows with every one, so whoever asks
    /// thousands clears it now and then.
    QList<Asked> asked;
    /// Runs while a box is "open", before it answers.
    std::function<void(const Asked &)> while_open;
    /// Where each question's step name goes; nowhere when null.
    QStringList *step_log = nullptr;

    QString ask_text(const QString &prompt, const QString &title) override
    {
        record({Asked::input, prompt, title});
        return text_answers.isEmpty() ? QString() : text_answers.takeFirst();
    }

    void show_error(const QString &text, const QString &title) override
    {
        record({Asked::error, text, title});
    }

    bool ask_yes_no(const QString &text, const QString &title) override
    {
        record({Asked::yes_no, text, title});
        return !yes_no_answers.isEmpty() && yes_no_answers.takeFirst();
    }

    /// The questions of one kind, in the order they were asked.
    QList<Asked> asked_of(Asked::Kind kind) const
    {
        QList<Asked> found;
        for (const Asked &question : asked)
            if (question.kind == kind)
                found.append(question);
        return found;
    }

private:
    void record(const Asked &question)
    {
        asked.append(question);
        if (step_log)
            step_log->append(step_name(question));
        if (while_open)
            while_open(question);
    }
};

} // namespace support
