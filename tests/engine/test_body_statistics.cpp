#include "body_statistics.h"

#include <QTest>

#include <cstdint>

namespace {

// Exact decimal arithmetic for rate = thousandths / 1000, floored (bases are positive).
std::int64_t exact_floor(std::int64_t base, std::int64_t thousandths)
{
    return base * thousandths / 1000;
}

} // namespace

class TestBodyStatistics : public QObject
{
    Q_OBJECT

private slots:
    void all_figures_data();
    void all_figures();
    void conditional_lines_data();
    void conditional_lines();
    void daily_and_hourly_rates_are_exact();
    void weekly_rates_follow_their_doubles();
};

void TestBodyStatistics::all_figures_data()
{
    QTest::addColumn<qint64>("age_days");
    QTest::addColumn<qint64>("age_weeks");
    QTest::addColumn<qint64>("age_hours");
    QTest::addColumn<qint64>("heartbeats");
    QTest::addColumn<qint64>("breaths");
    QTest::addColumn<qint64>("blood_litres");
    QTest::addColumn<qint64>("gastric_juice_litres");
    QTest::addColumn<qint64>("bile_litres");
    QTest::addColumn<qint64>("meals");
    QTest::addColumn<qint64>("toilet_visits");
    QTest::addColumn<qint64>("blood_donation_ccm");
    QTest::addColumn<qint64>("tooth_brushings");
    QTest::addColumn<qint64>("dentist_visits");
    QTest::addColumn<bool>("show_blood_donation");
    QTest::addColumn<bool>("show_dental_care");

    QTest::newRow("19674 days at 10 o'clock")
        << qint64(19674) << qint64(2810) << qint64(472186) << qint64(3158076766)
        << qint64(734216649) << qint64(144488443) << qint64(37302) << qint64(14637) << qint64(68839)
        << qint64(49165) << qint64(32434) << qint64(56621) << qint64(104) << true << true;
    // Heartbeats pass 2^32 here: nothing may hold them in 32 bits.
    QTest::newRow("50000 days at 23 o'clock")
        << qint64(50000) << qint64(7142) << qint64(1200023) << qint64(8025999828)
        << qint64(1865952963) << qint64(367205837) << qint64(94801) << qint64(37200)
        << qint64(174950) << qint64(124950) << qint64(107411) << qint64(143900) << qint64(270)
        << true << true;
    // The hidden figures are still computed, negative as they are.
    QTest::newRow("1 day at 0 o'clock")
        << qint64(1) << qint64(0) << qint64(24) << qint64(160516) << qint64(37318) << qint64(7343)
        << qint64(1) << qint64(0) << qint64(3) << qint64(2) << qint64(-16200) << qint64(2)
        << qint64(-4) << false << false;
}

void TestBodyStatistics::all_figures()
{
    QFETCH(qint64, age_days);
    QFETCH(qint64, age_weeks);
    QFETCH(qint64, age_hours);

    const BodyStatistics s = compute_body_statistics(age_days, age_weeks, age_hours);
    QTEST(qint64(s.heartbeats), "heartbeats");
    QTEST(qint64(s.breaths), "breaths");
    QTEST(qint64(s.blood_litres), "blood_litres");
    QTEST(qint64(s.gastric_juice_litres), "gastric_juice_litres");
    QTEST(qint64(s.bile_litres), "bile_litres");
    QTEST(qint64(s.meals), "meals");
    QTEST(qint64(s.toilet_visits), "toilet_visits");
    QTEST(qint64(s.blood_donation_ccm), "blood_donation_ccm");
    QTEST(qint64(s.tooth_brushings), "tooth_brushings");
    QTEST(qint64(s.dentist_visits), "dentist_visits");
    QTEST(s.show_blood_donation, "show_blood_donation");
    QTEST(s.show_dental_care, "show_dental_care");
}

void TestBodyStatistics::conditional_lines_data()
{
    QTest::addColumn<qint64>("age_days");
    QTest::addColumn<bool>("show_blood_donation");
    QTest::addColumn<qint64>("blood_donation_ccm");
    QTest::addColumn<bool>("show_dental_care");
    QTest::addColumn<qint64>("tooth_brushings");
    QTest::addColumn<qint64>("dentist_visits");

    // Rows name the weeks; the days are the first day of that week of life.
    QTest::newRow("104 weeks") << qint64(728) << false << qint64(-14400) << false << qint64(2095)
                               << qint64(0);
    QTest::newRow("104 weeks, last day")
        << qint64(734) << false << qint64(-14400) << false << qint64(2112) << qint64(0);
    QTest::newRow("105 weeks") << qint64(735) << false << qint64(-14383) << true << qint64(2115)
                               << qint64(0);
    QTest::newRow("130 weeks: first dentist visit")
        << qint64(910) << false << qint64(-13950) << true << qint64(2618) << qint64(1);
    QTest::newRow("936 weeks") << qint64(6552) << false << qint64(0) << true << qint64(18856)
                               << qint64(32);
    QTest::newRow("936 weeks, last day")
        << qint64(6558) << false << qint64(0) << true << qint64(18873) << qint64(32);
    QTest::newRow("937 weeks") << qint64(6559) << true << qint64(17) << true << qint64(18876)
                               << qint64(32);
    // 117 * 900 / 52 is exactly 2025; the double 900/52 lies just below it.
    QTest::newRow("1053 weeks") << qint64(7371) << true << qint64(2024) << true << qint64(21213)
                                << qint64(36);
    QTest::newRow("1054 weeks") << qint64(7378) << true << qint64(2042) << true << qint64(21233)
                                << qint64(36);
}

void TestBodyStatistics::conditional_lines()
{
    QFETCH(qint64, age_days);
    const qint64 age_weeks = age_days / 7;

    const BodyStatistics s = compute_body_statistics(age_days, age_weeks, age_days * 24);
    QTEST(s.show_blood_donation, "show_blood_donation");
    QTEST(qint64(s.blood_donation_ccm), "blood_donation_ccm");
    QTEST(s.show_dental_care, "show_dental_care");
    QTEST(qint64(s.tooth_brushings), "tooth_brushings");
    QTEST(qint64(s.dentist_visits), "dentist_visits");
}

void TestBodyStatistics::daily_and_hourly_rates_are_exact()
{
    // Every figure from a per-hour or per-day rate equals exact decimal
    // arithmetic for every age the search can give: a float, a rounded rate
    // or a 32-bit product would break this somewhere.
    for (std::int64_t days = 1; days <= 50000; ++days) {
        for (std::int64_t hour = 0; hour < 24; ++hour) {
            const std::int64_t hours = days * 24 + hour;
            const BodyStatistics s = compute_body_statistics(days, days / 7, hours);
            if (s.heartbeats != exact_floor(hours, 6688205) ||
                s.breaths != exact_floor(hours, 1554931) ||
                s.blood_litres != exact_floor(hours, 305999) ||
                s.gastric_juice_litres != exact_floor(hours, 79) ||
                s.bile_litres != exact_floor(hours, 31) || s.meals != exact_floor(days, 3499) ||
                s.toilet_visits != exact_floor(days, 2499) ||
                s.tooth_brushings != exact_floor(days, 2878)) {
                QFAIL(qPrintable(
                    QStringLiteral("wrong figure at %1 days, %2 hours").arg(days).arg(hours)));
            }
        }
    }
}

void TestBodyStatistics::weekly_rates_follow_their_doubles()
{
    // 900/52 formed as a double lies below the exact quotient, so whole
    // products come out one lower, at some multiples of 13 weeks past 936
    // and nowhere else; 2/52 lies above it and never shows.
    int one_lower = 0;
    for (std::int64_t weeks = 937; weeks <= 7142; ++weeks) {
        const std::int64_t extra = weeks - 936;
        const BodyStatistics s = compute_body_statistics(weeks * 7, weeks, weeks * 7 * 24);
        const std::int64_t exact = extra * 900 / 52;
        const bool whole = extra * 900 % 52 == 0;
        if (s.blood_donation_ccm == exact - 1 && whole)
            ++one_lower;
        else
            QCOMPARE(s.blood_donation_ccm, exact);
        QCOMPARE(s.dentist_visits, (weeks - 104) * 2 / 52);
    }
    QCOMPARE(one_lower, 67);
}

QTEST_GUILESS_MAIN(TestBodyStatistics)
#include "test_body_statistics.moc"
