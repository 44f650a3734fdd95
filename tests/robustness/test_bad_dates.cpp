// Dates typed in digits of other scripts: the entry wants exactly eight ASCII
// digits. Such a date is refused with the German error box and the questions
// come again; it is never read as the date its digits would mean.

#include "birth_entry.h"
#include "clock.h"
#include "presenter.h"
#include "program_state.h"
#include "prompts.h"
#include "read_birth_entry.h"
#include "scripted_prompts.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

using support::Asked;

namespace {

// The digits 0 to 9 of one script, as text (some lie outside the 16-bit range).
QString in_script(const QString &ascii_digits, char32_t zero)
{
    QString out;
    for (QChar c : ascii_digits) {
        const char32_t digit = zero + char32_t(c.unicode() - u'0');
        out += QString::fromUcs4(&digit, 1);
    }
    return out;
}

// Superscript digits are scattered over two blocks.
QString superscript(const QString &ascii_digits)
{
    static const char16_t digits[] = {0x2070, 0x00B9, 0x00B2, 0x00B3, 0x2074,
                                      0x2075, 0x2076, 0x2077, 0x2078, 0x2079};
    QString out;
    for (QChar c : ascii_digits)
        out += QChar(digits[c.unicode() - u'0']);
    return out;
}

const QDateTime pinned(QDate(2026, 12, 6), QTime(14, 0));
const QString date = QStringLiteral("24011973");

} // namespace

class TestBadDates : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refused_data();
    void refused();
};

void TestBadDates::initTestCase()
{
    // The same date in ASCII digits is fine: only the digits are refused below.
    QVERIFY(accept_birth_entry(date, QStringLiteral("Eva"), pinned).has_value());
}

void TestBadDates::refused_data()
{
    QTest::addColumn<QString>("entry");

    QTest::newRow("Arabic-Indic") << in_script(date, 0x0660);
    QTest::newRow("Extended Arabic-Indic (Persian)") << in_script(date, 0x06F0);
    QTest::newRow("Devanagari") << in_script(date, 0x0966);
    QTest::newRow("Bengali") << in_script(date, 0x09E6);
    QTest::newRow("Thai") << in_script(date, 0x0E50);
    QTest::newRow("fullwidth") << in_script(date, 0xFF10);
    QTest::newRow("mathematical bold") << in_script(date, 0x1D7CE);
    QTest::newRow("mathematical monospace") << in_script(date, 0x1D7F6);
    QTest::newRow("subscript") << in_script(date, 0x2080);
    QTest::newRow("superscript") << superscript(date);
    QTest::newRow("one fullwidth digit in the year")
        << date.left(7) + in_script(QStringLiteral("3"), 0xFF10);
    QTest::newRow("Arabic-Indic day, ASCII rest") << in_script(date.left(2), 0x0660) + date.mid(2);
    QTest::newRow("superscript month") << date.left(2) + superscript(date.mid(2, 2)) + date.mid(4);
    QTest::newRow("fullwidth digit between the parts")
        << date.left(4) + in_script(QStringLiteral("0"), 0xFF10) + date.mid(4);
    QTest::newRow("circled digits") << QStringLiteral("②④⓪①①⑨⑦③");
}

void TestBadDates::refused()
{
    QFETCH(QString, entry);
    QVERIFY(!accept_birth_entry(entry, QStringLiteral("Eva"), pinned).has_value());

    // Through the prompts as the user meets them: the error box, then both
    // questions again, which the user leaves empty this time.
    support::ScriptedPrompts prompts;
    prompts.text_answers = {entry, QStringLiteral("Eva")};
    ProgramState state;
    Presenter presenter;
    QWidget pointer_window;
    const std::optional<AcceptedEntry> accepted = read_birth_entry(
        OutputKind::screen, prompts, state, presenter, pointer_window, Clock::pinned(pinned));

    QVERIFY(!accepted.has_value());
    QStringList errors;
    for (const Asked &error : prompts.asked_of(Asked::error))
        errors << error.title + QStringLiteral(": ") + error.text;
    QStringList questions;
    for (const Asked &question : prompts.asked_of(Asked::input))
        questions << question.text;
    QCOMPARE(errors, QStringList{entry_texts::error_title + QStringLiteral(": ") +
                                 entry_texts::error_text});
    QCOMPARE(questions, (QStringList{entry_texts::date_prompt, entry_texts::name_prompt,
                                     entry_texts::date_prompt}));
}

QTEST_MAIN(TestBadDates)
#include "test_bad_dates.moc"
