#pragma once

#include <cstdint>

/// What the body has done so far, each a rate times an age, rounded down.
struct BodyStatistics
{
    std::int64_t heartbeats = 0;
    std::int64_t breaths = 0;
    std::int64_t blood_litres = 0;
    std::int64_t gastric_juice_litres = 0;
    std::int64_t bile_litres = 0;
    std::int64_t meals = 0;
    std::int64_t toilet_visits = 0;
    std::int64_t blood_donation_ccm = 0;
    std::int64_t tooth_brushings = 0;
    std::int64_t dentist_visits = 0;
    bool show_blood_donation = false; // older than 936 weeks
    bool show_dental_care = false;    // older than 104 weeks
};

/// The ten figures and two flags, in IEEE double arithmetic, floored.
BodyStatistics compute_body_statistics(std::int64_t age_days, std::int64_t age_weeks,
                                       std::int64_t age_hours);
