#include "engine.h"

AnalysisResult analyse_entry(const AcceptedEntry &entry, int lottery_variant, const QDateTime &now)
{
    AnalysisResult result;
    compute_calendar_facts(entry, now, result);

    const BodyStatistics body =
        compute_body_statistics(result.age_days, result.age_weeks, result.age_hours);
    result.heartbeats = body.heartbeats;
    result.breaths = body.breaths;
    result.blood_litres = body.blood_litres;
    result.gastric_juice_litres = body.gastric_juice_litres;
    result.bile_litres = body.bile_litres;
    result.meals = body.meals;
    result.toilet_visits = body.toilet_visits;
    result.blood_donation_ccm = body.blood_donation_ccm;
    result.tooth_brushings = body.tooth_brushings;
    result.dentist_visits = body.dentist_visits;
    result.show_blood_donation = body.show_blood_donation;
    result.show_dental_care = body.show_dental_care;

    // The seed takes the year afresh from now, as the draw is presented as
    // the luck of the current year.
    const int seed = lottery_seed(result.birth_year, result.birth_month, now.date().year());
    const LuckyDraw draw = draw_lucky_and_lottery(seed, lottery_variant);
    result.lucky_number = draw.lucky_number;
    result.lottery_variant = lottery_variant;
    result.lottery_numbers = draw.lottery_numbers;

    // The report takes these again when it writes their lines; filled here
    // too, the record is complete for every other reader.
    const TodayFacts today = today_facts(now);
    result.today_weekday = today.today_weekday;
    result.today_long_date = today.today_long_date;
    result.lucky_year = QString::number(now.date().year());
    return result;
}
