#pragma once

#include <QString>

class QWidget;

// The modal boxes through which the program asks and answers: text input,
// an error message with OK, a Yes/No question. QtPrompts shows the real
// boxes; tests put scripted answers in their place.
class Prompts
{
public:
    virtual ~Prompts() = default;

    /// Asks for a text; cancel and an empty answer both give an empty text.
    virtual QString ask_text(const QString &prompt, const QString &title) = 0;
    /// An error message with the error icon and an OK button.
    virtual void show_error(const QString &text, const QString &title) = 0;
    /// A question with Yes and No, Yes the default, no icon; true for Yes.
    virtual bool ask_yes_no(const QString &text, const QString &title) = 0;
};

/// The real boxes: QInputDialog and QMessageBox, modal, over parent.
class QtPrompts final : public Prompts
{
public:
    explicit QtPrompts(QWidget *parent = nullptr) : parent(parent) {}

    QString ask_text(const QString &prompt, const QString &title) override;
    void show_error(const QString &text, const QString &title) override;
    bool ask_yes_no(const QString &text, const QString &title) override;

private:
    QWidget *parent;
};
