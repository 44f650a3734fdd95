#include "engine.h"
#include "pinned_clock.h"

#include <QTest>

namespace {

using Weekdays = QList<QString>;

} // namespace

class TestCalendarFacts : public QObject
{
    Q_OBJECT

private slots:
    void weeks_and_hours_data();
    void weeks_and_hours();
    void birth_weekday_data();
    void birth_weekday();
    void next_birthdays_data();
    void next_birthdays();
    void today_data();
    void today();
    void analysis_is_complete();
};

void TestCalendarFacts::weeks_and_hours_data()
{
    QTest::addColumn<int>("age_days");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<qint64>("age_weeks");
    QTest::addColumn<qint64>("age_hours");

    QTest::newRow("19674 days at 0:15") << 19674 << QTime(0, 15) << qint64(2810) << qint64(472176);
    QTest::newRow("19674 days at 10:35")
        << 19674 << QTime(10, 35) << qint64(2810) << qint64(472186);
    QTest::newRow("19674 days at 23:59")
        << 19674 << QTime(23, 59) << qint64(2810) << qint64(472199);
    QTest::newRow("1 day at 0:00") << 1 << QTime(0, 0) << qint64(0) << qint64(24);
    QTest::newRow("6 days") << 6 << QTime(12, 0) << qint64(0) << qint64(156);
    QTest::newRow("7 days") << 7 << QTime(12, 0) << qint64(1) << qint64(180);
    QTest::newRow("6558 days") << 6558 << QTime(0, 0) << qint64(936) << qint64(157392);
    QTest::newRow("6559 days") << 6559 << QTime(0, 0) << qint64(937) << qint64(157416);
    QTest::newRow("50000 days at 23:00")
        << 50000 << QTime(23, 0) << qint64(7142) << qint64(1200023);
}

void TestCalendarFacts::weeks_and_hours()
{
    QFETCH(int, age_days);
    QFETCH(QTime, time);
    const QDateTime at(QDate(2026, 12, 6), time);

    const AnalysisResult result =
        analysed(typed_days_back(at, age_days), QStringLiteral("Anna"), 45, at);
    QCOMPARE(result.age_days, age_days);
    QTEST(qint64(result.age_weeks), "age_weeks");
    QTEST(qint64(result.age_hours), "age_hours");
}

void TestCalendarFacts::birth_weekday_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("weekday");

    QTest::newRow("24011973") << QStringLiteral("24011973") << QStringLiteral("Mittwoch");
    QTest::newRow("29 February 2024") << QStringLiteral("29022024") << QStringLiteral("Donnerstag");
    QTest::newRow("1 January 1900") << QStringLiteral("01011900") << QStringLiteral("Montag");
    QTest::newRow("yesterday") << QStringLiteral("05122026") << QStringLiteral("Samstag");
}

void TestCalendarFacts::birth_weekday()
{
    QFETCH(QString, entry);
    const AnalysisResult result =
        analysed(entry, QStringLiteral("Anna"), 45, QDateTime(QDate(2026, 12, 6), QTime(10, 0)));
    QTEST(result.birth_weekday, "weekday");
}

void TestCalendarFacts::next_birthdays_data()
{
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("first_year");
    QTest::addColumn<Weekdays>("weekdays");

    const QDateTime december_2026(QDate(2026, 12, 6), QTime(10, 0));
    QTest::newRow("24011973 in 2026")
        << december_2026 << QStringLiteral("24011973") << 2027
        << Weekdays{QStringLiteral("Sonntag"),  QStringLiteral("Montag"),
                    QStringLiteral("Mittwoch"), QStringLiteral("Donnerstag"),
                    QStringLiteral("Freitag"),  QStringLiteral("Samstag"),
                    QStringLiteral("Montag"),   QStringLiteral("Dienstag"),
                    QStringLiteral("Mittwoch"), QStringLiteral("Donnerstag")};
    // The birthday of this year is still to come; the list still starts next year.
    QTest::newRow("24011973 on 10 January 2026")
        << QDateTime(QDate(2026, 1, 10), QTime(10, 0)) << QStringLiteral("24011973") << 2027
        << Weekdays{QStringLiteral("Sonntag"),  QStringLiteral("Montag"),
                    QStringLiteral("Mittwoch"), QStringLiteral("Donnerstag"),
                    QStringLiteral("Freitag"),  QStringLiteral("Samstag"),
                    QStringLiteral("Montag"),   QStringLiteral("Dienstag"),
                    QStringLiteral("Mittwoch"), QStringLiteral("Donnerstag")};
    // Common years celebrate on 28 February and say so; leap years do not.
    QTest::newRow("29 February in 2026")
        << december_2026 << QStringLiteral("29021996") << 2027
        << Weekdays{QStringLiteral("Sonntag (28.2.)"),  QStringLiteral("Dienstag"),
                    QStringLiteral("Mittwoch (28.2.)"), QStringLiteral("Donnerstag (28.2.)"),
                    QStringLiteral("Freitag (28.2.)"),  QStringLiteral("Sonntag"),
                    QStringLiteral("Montag (28.2.)"),   QStringLiteral("Dienstag (28.2.)"),
                    QStringLiteral("Mittwoch (28.2.)"), QStringLiteral("Freitag")};
    // 2100 is no leap year although divisible by four.
    QTest::newRow("29 February in 2095")
        << QDateTime(QDate(2095, 6, 1), QTime(10, 0)) << QStringLiteral("29022000") << 2096
        << Weekdays{QStringLiteral("Mittwoch"),         QStringLiteral("Donnerstag (28.2.)"),
                    QStringLiteral("Freitag (28.2.)"),  QStringLiteral("Samstag (28.2.)"),
                    QStringLiteral("Sonntag (28.2.)"),  QStringLiteral("Montag (28.2.)"),
                    QStringLiteral("Dienstag (28.2.)"), QStringLiteral("Mittwoch (28.2.)"),
                    QStringLiteral("Freitag"),          QStringLiteral("Samstag (28.2.)")};
}

void TestCalendarFacts::next_birthdays()
{
    QFETCH(QDateTime, at);
    QFETCH(QString, entry);
    QFETCH(int, first_year);
    QFETCH(Weekdays, weekdays);

    const AnalysisResult result = analysed(entry, QStringLiteral("Anna"), 45, at);
    for (int k = 0; k < 10; ++k) {
        QCOMPARE(result.next_birthday_years[k], first_year + k);
        QCOMPARE(result.next_birthday_weekdays[k], weekdays[k]);
    }
}

void TestCalendarFacts::today_data()
{
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("weekday");
    QTest::addColumn<QString>("long_date");

    QTest::newRow("6 December 2026")
        << QDateTime(QDate(2026, 12, 6), QTime(0, 15)) << QStringLiteral("Sonntag")
        << QStringLiteral("06.Dezember.2026");
    QTest::newRow("1 January 2027")
        << QDateTime(QDate(2027, 1, 1), QTime(23, 59)) << QStringLiteral("Freitag")
        << QStringLiteral("01.Januar.2027");
    QTest::newRow("9 March 2026") << QDateTime(QDate(2026, 3, 9), QTime(12, 0))
                                  << QStringLiteral("Montag") << QStringLiteral("09.März.2026");
}

void TestCalendarFacts::today()
{
    QFETCH(QDateTime, at);
    const TodayFacts facts = today_facts(at);
    QTEST(facts.today_weekday, "weekday");
    QTEST(facts.today_long_date, "long_date");
}

void TestCalendarFacts::analysis_is_complete()
{
    const QDateTime at(QDate(2026, 12, 6), QTime(10, 35));
    const AnalysisResult result =
        analysed(QStringLiteral("24011973"), QStringLiteral("Anna"), 45, at);

    QCOMPARE(result.birth_date_text, QStringLiteral("24011973"));
    QCOMPARE(result.person_name, QStringLiteral("Anna"));
    QCOMPARE(result.birth_day, 24);
    QCOMPARE(result.birth_month, 1);
    QCOMPARE(result.birth_year, 1973);
    QCOMPARE(result.birth_date, QDateTime(QDate(1973, 1, 24), QTime(10, 35)));
    QCOMPARE(result.age_days, 19674);
    QCOMPARE(result.today_weekday, QStringLiteral("Sonntag"));
    QCOMPARE(result.today_long_date, QStringLiteral("06.Dezember.2026"));
    QCOMPARE(result.lucky_year, QStringLiteral("2026"));
    QCOMPARE(result.draw.lottery_variant, 45);
    QCOMPARE(qint64(result.body.heartbeats), qint64(3158076766));
    QVERIFY(result.body.show_blood_donation);
    QVERIFY(result.body.show_dental_care);
}

QTEST_GUILESS_MAIN(TestCalendarFacts)
#include "test_calendar_facts.moc"
