#include "calendar.h"

#include "report_locale.h"

#include <QDate>

#include <cmath>

namespace {

QString weekday_name(const QLocale &locale, const QDate &date)
{
    return locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
}

} // namespace

void compute_calendar_facts(const AcceptedEntry &entry, const QDateTime &now,
                            AnalysisResult &result)
{
    const QLocale locale = report_locale();

    result.birth_date_text = entry.birth_date_text;
    result.person_name = entry.person_name;
    result.birth_day = entry.checked.birth_day;
    result.birth_month = entry.checked.birth_month;
    result.birth_year = entry.checked.birth_year;
    result.age_days = entry.count.age_days;
    result.birth_date = entry.count.birth_date;

    result.age_weeks = static_cast<std::int64_t>(std::floor(result.age_days / 7.0));
    result.age_hours = std::int64_t{result.age_days} * 24 + now.time().hour();
    result.birth_weekday = weekday_name(locale, result.birth_date.date());

    for (int k = 1; k <= 10; ++k) {
        const int year = entry.current_year + k;
        result.next_birthday_years[k - 1] = year;
        const QDate birthday(year, result.birth_month, result.birth_day);
        // Only 29 February can be missing in a year; such a year celebrates on
        // 28 February and says so.
        result.next_birthday_weekdays[k - 1] =
            birthday.isValid()
                ? weekday_name(locale, birthday)
                : weekday_name(locale, QDate(year, 2, 28)) + QStringLiteral(" (28.2.)");
    }
}

TodayFacts today_facts(const QDateTime &now)
{
    const QLocale locale = report_locale();
    return TodayFacts{weekday_name(locale, now.date()),
                      locale.toString(now.date(), QStringLiteral("dd.MMMM.yyyy"))};
}
