#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// The pure part of the birth date entry: range checks on the typed text and
// the day count back from today. The prompting loop around it lives with the
// windows (read_birth_entry).

/// What the range checks take from an entry: the three numbers and the day
/// and month as exactly two digits.
struct CheckedEntry
{
    int birth_day = 0;
    int birth_month = 0;
    int birth_year = 0;
    QString day_text;   // e.g. "05"
    QString month_text; // e.g. "03"
};

/// The result of a successful day search.
struct DayCount
{
    int age_days = 0;     // 1 to 50000
    QDateTime birth_date; // now minus age_days days
};

/// An entry that passed the checks and the search, with the year of now as
/// it was read for the checks.
struct AcceptedEntry
{
    QString birth_date_text;
    QString person_name;
    CheckedEntry checked;
    DayCount count;
    int current_year = 0;
};

/// The furthest the day search reaches back.
inline constexpr int max_days_back = 50000;

/// The leading decimal number in text after blanks, 0 when there is none.
int numeric_value(QStringView text);

/// Range checks of an entry (day 1..31, month 1..12, year 1800..current_year);
/// nullopt when rejected.
std::optional<CheckedEntry> check_birth_entry(const QString &entry, int current_year);

/// Finds k in 1..50000 with (now - k days) written as ddMMyyyy equal to the
/// entry; nullopt when there is none. now is read once by the caller, and
/// birth_date always lies on the entered date, clock changes or not.
std::optional<DayCount> count_days_back(const QString &entry, const QDateTime &now);

/// Checks and searches one date entry against one reading of now; nullopt
/// when the entry is rejected. checks_passed, when given, runs once the range
/// checks have passed and before the day search, so that a caller can act at
/// that moment (the prompting loop shows the hourglass there).
std::optional<AcceptedEntry> accept_birth_entry(const QString &entry, const QString &name,
                                                const QDateTime &now,
                                                const std::function<void()> &checks_passed = {});
