#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>

/// What the body has done so far, each a rate times an age, rounded down.
struct BodyStatistics
{
    // Heartbeats pass 8 * 10^9: 64 bits.
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

/// The lucky number and the lottery numbers of one seeded draw.
struct LuckyDraw
{
    int lucky_number = 0;                 // 1 to 100
    int lottery_variant = 45;             // numbers drawn out of 1..45 or 1..49
    std::array<int, 6> lottery_numbers{}; // distinct, ascending, 1 to variant
};

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
    LuckyDraw draw;
    QString lucky_year; // filled when the report writes the lucky-number line

    // What the body has done so far.
    BodyStatistics body;
};
