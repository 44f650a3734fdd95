#include "prompts.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

QString QtPrompts::ask_text(const QString &prompt, const QString &title)
{
    QInputDialog box(parent);
    box.setWindowTitle(title);
    // The prompts end their lines with CR LF; a label wants a plain line feed.
    box.setLabelText(QString(prompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setInputMode(QInputDialog::TextInput);
    for (QLabel *label : box.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    if (box.exec() != QDialog::Accepted)
        return QString();
    return box.textValue();
}

void QtPrompts::show_error(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtPrompts::ask_yes_no(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}
