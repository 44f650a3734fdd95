#include "birth_entry.h"

#include <QDate>
#include <QTimeZone>

#include <limits>

namespace {

bool is_ascii_digit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool is_blank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

QString two_digits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

int numeric_value(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && is_blank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Saturate instead of overflowing: any value this large fails every range anyway.
    constexpr long long limit = std::numeric_limits<int>::max();
    long long value = 0;
    for (; i < text.size() && is_ascii_digit(text[i]); ++i)
        value = std::min(limit, value * 10 + (text[i].unicode() - u'0'));
    return static_cast<int>(negative ? -value : value);
}

std::optional<CheckedEntry> check_birth_entry(const QString &entry, int current_year)
{
    CheckedEntry checked;
    checked.birth_day = numeric_value(QStringView(entry).left(2));
    if (checked.birth_day < 1 || checked.birth_day > 31)
        return std::nullopt;
    checked.day_text = two_digits(checked.birth_day);

    checked.birth_month = numeric_value(QStringView(entry).mid(2, 2));
    if (checked.birth_month < 1 || checked.birth_month > 12)
        return std::nullopt;
    checked.month_text = two_digits(checked.birth_month);

    checked.birth_year = numeric_value(QStringView(entry).right(4));
    if (checked.birth_year < 1800 || checked.birth_year > current_year)
        return std::nullopt;
    return checked;
}

std::optional<DayCount> count_days_back(const QString &entry, const QDateTime &now)
{
    // Walking back day by day and comparing "ddMMyyyy" texts accepts exactly
    // the eight-ASCII-digit entries that name a real date 1 to 50000 days ago;
    // reading that date directly gives the same answer in constant time. It
    // also finds a date on which a clock change skipped now's time of day,
    // which the walk writes as a neighbouring date and so never finds.
    if (entry.size() != 8)
        return std::nullopt;
    for (QChar c : entry) {
        if (!is_ascii_digit(c))
            return std::nullopt;
    }
    const QDate date(entry.mid(4, 4).toInt(), entry.mid(2, 2).toInt(), entry.left(2).toInt());
    if (!date.isValid())
        return std::nullopt;
    const qint64 days = date.daysTo(now.date());
    if (days < 1 || days > max_days_back)
        return std::nullopt;
    QDateTime birth_date = now.addDays(-days);
    if (birth_date.date() != date) {
        // A clock change skipped now's time of day on that date, and moving
        // it out of the gap crossed midnight. The date is what counts: take
        // the moment of that day nearest to now's time of day.
        const bool late = now.time() >= QTime(12, 0);
        if (now.timeSpec() == Qt::TimeZone)
            birth_date = late ? date.endOfDay(now.timeZone()) : date.startOfDay(now.timeZone());
        else
            birth_date = late ? date.endOfDay(now.timeSpec()) : date.startOfDay(now.timeSpec());
    }
    // A day the zone skipped as a whole (a date-line jump) was never a day
    // there: walking back day by day never meets it.
    if (!birth_date.isValid())
        return std::nullopt;
    return DayCount{static_cast<int>(days), birth_date};
}

std::optional<AcceptedEntry> accept_birth_entry(const QString &entry, const QString &name,
                                                const QDateTime &now,
                                                const std::function<void()> &checks_passed)
{
    const int current_year = now.date().year();
    const std::optional<CheckedEntry> checked = check_birth_entry(entry, current_year);
    if (!checked)
        return std::nullopt;
    if (checks_passed)
        checks_passed();
    const std::optional<DayCount> count = count_days_back(entry, now);
    if (!count)
        return std::nullopt;
    return AcceptedEntry{entry, name, *checked, *count, current_year};
}
