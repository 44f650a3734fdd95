#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>

// Every figure of one birthday analysis. The engine fills it, the report
// composition reads it; it lives for one run of a report routine.
struct AnalysisResult
{
    // The accepted entry and the day count.
    QString birth_date_text; // always exactly eight digits once accepted
    QString person_name;
    int birth_day = 0;
    int birth_month = 0;
    int birth_year = 0;
    QDateTime birth_date; // now minus age_days days, with now's time of day
    int age_days = 0;     // 1 to 50000

    // Calendar facts.
    std::int64_t age_weeks = 0;
    std::int64_t age_hours = 0;
    QString birth_weekday;
    QString today_weekday;   // filled when the report writes its line about today
    QString today_long_date; // likewise
    std::array<int, 10> next_birthday_years{};
    std::array<QString, 10> next_birthday_weekdays;

    // Lucky number and lottery.
    int lucky_number = 0;
    QString lucky_year; // filled when the report writes the lucky-number line
    int lottery_variant = 45;
    std::array<int, 6> lottery_numbers{};

    // What the body has done so far. Heartbeats pass 8 * 10^9: 64 bits.
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
    bool show_blood_donation = false;
    bool show_dental_care = false;
};
