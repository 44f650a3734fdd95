#include "engine.h"

AnalysisResult analyse_entry(const AcceptedEntry &entry, int lottery_variant, const QDateTime &now,
                             QRandomGenerator &generator)
{
    AnalysisResult result;
    compute_calendar_facts(entry, now, result);

    result.body = compute_body_statistics(result.age_days, result.age_weeks, result.age_hours);

    // The seed takes the year afresh from now, as the draw is presented as
    // the luck of the current year.
    const int seed = lottery_seed(result.birth_year, result.birth_month, now.date().year());
    result.draw = draw_lucky_and_lottery(seed, lottery_variant, generator);

    // The report takes these again when it writes their lines; filled here
    // too, the record is complete for every other reader.
    const TodayFacts today = today_facts(now);
    result.today_weekday = today.today_weekday;
    result.today_long_date = today.today_long_date;
    result.lucky_year = QString::number(now.date().year());
    return result;
}

AnalysisResult analyse_entry(const AcceptedEntry &entry, int lottery_variant, const QDateTime &now)
{
    QRandomGenerator generator;
    return analyse_entry(entry, lottery_variant, now, generator);
}
