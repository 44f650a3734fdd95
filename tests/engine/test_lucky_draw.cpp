#include "engine.h"
#include "pinned_clock.h"

#include <QTest>

#include <algorithm>
#include <bitset>

class TestLuckyDraw : public QObject
{
    Q_OBJECT

private slots:
    void seed_data();
    void seed();
    void seed_ignores_the_day();
    void seeding_decides_the_draw();
    void draws_over_many_seeds_data();
    void draws_over_many_seeds();
};

void TestLuckyDraw::seed_data()
{
    QTest::addColumn<int>("birth_year");
    QTest::addColumn<int>("birth_month");
    QTest::addColumn<int>("current_year");
    QTest::addColumn<int>("seed");

    QTest::newRow("24011973 in 2026") << 1973 << 1 << 2026 << 4000;
    QTest::newRow("31121800 in 1890") << 1800 << 12 << 1890 << 3702;
}

void TestLuckyDraw::seed()
{
    QFETCH(int, birth_year);
    QFETCH(int, birth_month);
    QFETCH(int, current_year);
    QTEST(lottery_seed(birth_year, birth_month, current_year), "seed");
}

void TestLuckyDraw::seed_ignores_the_day()
{
    const QDateTime at(QDate(2026, 12, 6), QTime(10, 0));
    const AnalysisResult first =
        analysed(QStringLiteral("01011973"), QStringLiteral("Anna"), 49, at);
    const AnalysisResult other =
        analysed(QStringLiteral("24011973"), QStringLiteral("Anna"), 49, at);
    QCOMPARE(first.draw.lucky_number, other.draw.lucky_number);
    QCOMPARE(first.draw.lottery_numbers, other.draw.lottery_numbers);

    // Another month, or the same birthday in another year, seeds differently.
    const AnalysisResult february =
        analysed(QStringLiteral("24021973"), QStringLiteral("Anna"), 49, at);
    const AnalysisResult later =
        analysed(QStringLiteral("24011973"), QStringLiteral("Anna"), 49, at.addYears(1));
    QVERIFY(february.draw.lottery_numbers != other.draw.lottery_numbers);
    QVERIFY(later.draw.lottery_numbers != other.draw.lottery_numbers);
}

void TestLuckyDraw::seeding_decides_the_draw()
{
    // The face changer draws from the same generator between analyses; the
    // seeding at the start of each analysis makes that irrelevant.
    QRandomGenerator generator;
    const LuckyDraw first = draw_lucky_and_lottery(4000, 45, generator);
    for (int i = 0; i < 17; ++i)
        next_random(generator);
    const LuckyDraw again = draw_lucky_and_lottery(4000, 45, generator);
    QCOMPARE(again.lucky_number, first.lucky_number);
    QCOMPARE(again.lottery_numbers, first.lottery_numbers);
}

void TestLuckyDraw::draws_over_many_seeds_data()
{
    QTest::addColumn<int>("variant");
    QTest::newRow("6 aus 45") << 45;
    QTest::newRow("6 aus 49") << 49;
}

void TestLuckyDraw::draws_over_many_seeds()
{
    QFETCH(int, variant);
    // Every seed that entries can give: 1800 + 1 + 1800 up to a far future.
    std::bitset<101> lucky_seen;
    std::bitset<50> number_seen;
    QRandomGenerator generator;
    for (int seed = 3601; seed <= 8200; ++seed) {
        const LuckyDraw draw = draw_lucky_and_lottery(seed, variant, generator);
        const auto &numbers = draw.lottery_numbers;
        const QString where = QStringLiteral("seed %1").arg(seed);
        QVERIFY2(draw.lucky_number >= 1 && draw.lucky_number <= 100, qPrintable(where));
        QVERIFY2(std::is_sorted(numbers.begin(), numbers.end()), qPrintable(where));
        QVERIFY2(std::adjacent_find(numbers.begin(), numbers.end()) == numbers.end(),
                 qPrintable(where));
        QVERIFY2(numbers.front() >= 1 && numbers.back() <= variant, qPrintable(where));
        lucky_seen.set(draw.lucky_number);
        for (int n : numbers)
            number_seen.set(n);
        for (int i = 0; i < 5; ++i) {
            const double r = next_random(generator);
            QVERIFY2(r >= 0.0 && r < 1.0, qPrintable(where));
        }
    }
    // Both ends of each range are reached, so no bound is off by one.
    QCOMPARE(lucky_seen.count(), std::size_t(100));
    QVERIFY(!lucky_seen.test(0));
    QCOMPARE(number_seen.count(), std::size_t(variant));
    QVERIFY(!number_seen.test(0));
}

QTEST_GUILESS_MAIN(TestLuckyDraw)
#include "test_lucky_draw.moc"
