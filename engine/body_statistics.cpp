#include "body_statistics.h"

#include <cmath>

namespace {

// Rates per hour, day or week, as the nearest doubles to their decimals.
constexpr double heartbeats_per_hour = 6688.205;
constexpr double breaths_per_hour = 1554.931;
constexpr double blood_litres_per_hour = 305.999;
constexpr double gastric_juice_litres_per_hour = 0.079;
constexpr double bile_litres_per_hour = 0.031;
constexpr double meals_per_day = 3.499;
constexpr double toilet_visits_per_day = 2.499;
constexpr double tooth_brushings_per_day = 2.878;
// Formed once as double quotients: 900/52 lies just below the exact value,
// which makes some blood donation figures one lower than exact arithmetic.
constexpr double blood_ccm_per_week = 900.0 / 52.0;
constexpr double dentist_visits_per_week = 2.0 / 52.0;

constexpr std::int64_t blood_donation_from_weeks = 936;
constexpr std::int64_t dental_care_from_weeks = 104;

std::int64_t floor_product(std::int64_t base, double rate)
{
    return static_cast<std::int64_t>(std::floor(static_cast<double>(base) * rate));
}

} // namespace

BodyStatistics compute_body_statistics(std::int64_t age_days, std::int64_t age_weeks,
                                       std::int64_t age_hours)
{
    BodyStatistics s;
    s.heartbeats = floor_product(age_hours, heartbeats_per_hour);
    s.breaths = floor_product(age_hours, breaths_per_hour);
    s.blood_litres = floor_product(age_hours, blood_litres_per_hour);
    s.gastric_juice_litres = floor_product(age_hours, gastric_juice_litres_per_hour);
    s.bile_litres = floor_product(age_hours, bile_litres_per_hour);
    s.meals = floor_product(age_days, meals_per_day);
    s.toilet_visits = floor_product(age_days, toilet_visits_per_day);
    s.blood_donation_ccm = floor_product(age_weeks - blood_donation_from_weeks, blood_ccm_per_week);
    s.tooth_brushings = floor_product(age_days, tooth_brushings_per_day);
    s.dentist_visits = floor_product(age_weeks - dental_care_from_weeks, dentist_visits_per_week);
    s.show_blood_donation = age_weeks > blood_donation_from_weeks;
    s.show_dental_care = age_weeks > dental_care_from_weeks;
    return s;
}
