#include "engine.h"
#include "literal_search.h"
#include "pinned_clock.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTimeZone>
#include <QVariant>

#include <limits>
#include <map>
#include <memory>

namespace {

// 24 January 1973 lies 19674 days before this Sunday morning.
QDateTime sunday_morning()
{
    return QDateTime(QDate(2026, 12, 6), QTime(10, 0));
}

// Moments whose candidates cross the year's and the calendar's edges: a
// plain day, a 29 February that is today, the day after a 28 February, the
// day after a clock change (whose candidate 02:30 does not exist), a first
// of January at midnight, and a late hour in local time and in UTC. Local
// time is Berlin's while the tests run.
QList<std::pair<const char *, QDateTime>> pinned_moments()
{
    return {
        {"6.12.2026 10:00", sunday_morning()},
        {"29.2.2024 23:00", QDateTime(QDate(2024, 2, 29), QTime(23, 0))},
        {"1.3.2025 0:00", QDateTime(QDate(2025, 3, 1), QTime(0, 0))},
        {"30.3.2026 2:30", QDateTime(QDate(2026, 3, 30), QTime(2, 30))},
        {"1.1.2027 0:00", QDateTime(QDate(2027, 1, 1), QTime(0, 0))},
        {"6.12.2026 23:30", QDateTime(QDate(2026, 12, 6), QTime(23, 30))},
        {"6.12.2026 23:30 UTC", QDateTime(QDate(2026, 12, 6), QTime(23, 30), Qt::UTC)},
    };
}

// The digits 0 to 9 of one script, as text (some lie outside the 16-bit range).
QString in_script(const QString &ascii_digits, char32_t zero)
{
    QString out;
    for (QChar c : ascii_digits) {
        const char32_t digit = zero + char32_t(c.unicode() - u'0');
        out += QString::fromUcs4(&digit, 1);
    }
    return out;
}

QString arabic_indic(const QString &ascii_digits)
{
    return in_script(ascii_digits, 0x0660);
}

QString describe(const std::optional<DayCount> &count)
{
    return count ? QStringLiteral("%1 days").arg(count->age_days) : QStringLiteral("not found");
}

// Whether now's time of day does not exist on date, in now's time zone. A
// clock change skipped it there (Berlin at 23:00 on 30 April 1916, at
// midnight on 1 April 1893), and the literal walk writes that candidate as
// whatever the platform makes of the gap, often a neighbouring date, so it
// may never find the date or find its neighbour too early. There, and only
// there, the engine keeps to the calendar and the two may differ.
bool time_skipped_on(const QDateTime &at, const QDate &date)
{
    const bool zoned = at.timeSpec() == Qt::TimeZone;
    const QDateTime probe = zoned ? QDateTime(date, at.time(), at.timeZone())
                                  : QDateTime(date, at.time(), at.timeSpec());
    const qint64 msecs = probe.toMSecsSinceEpoch();
    const QDateTime back = zoned ? QDateTime::fromMSecsSinceEpoch(msecs, at.timeZone())
                                 : QDateTime::fromMSecsSinceEpoch(msecs, at.timeSpec());
    return back.date() != date || back.time() != at.time();
}

bool explained_by_clock_change(const QDateTime &at, const std::optional<DayCount> &count)
{
    return count && time_skipped_on(at, at.date().addDays(-count->age_days));
}

// Compares the engine's search with the literal one for one entry; an empty
// text when they agree, otherwise what went wrong. Counts the entries where
// a clock change explains the difference.
QString compare_with_literal(const QDateTime &at, const QString &entry,
                             const std::optional<DayCount> &expected, int &clock_changes)
{
    const std::optional<DayCount> fast = count_days_back(entry, at);
    if (fast && fast->birth_date.date() != at.date().addDays(-fast->age_days))
        return QStringLiteral("\"%1\": birth date %2 is not %3 days back")
            .arg(entry, fast->birth_date.toString(Qt::ISODate))
            .arg(fast->age_days);
    const bool same =
        describe(fast) == describe(expected) && (!fast || fast->birth_date == expected->birth_date);
    if (!same && !explained_by_clock_change(at, expected) && !explained_by_clock_change(at, fast)) {
        return QStringLiteral("\"%1\": %2 instead of %3")
            .arg(entry, describe(fast), describe(expected));
    }
    clock_changes += !same;

    // Where the two searches agree, this is "the checks pass and the literal
    // search finds it".
    const bool checks_pass = check_birth_entry(entry, at.date().year()).has_value();
    const bool accepted = accept_birth_entry(entry, QStringLiteral("Anna"), at).has_value();
    if (accepted != (checks_pass && fast.has_value()))
        return QStringLiteral("\"%1\": accepted is %2").arg(entry, QVariant(accepted).toString());
    return {};
}

// A text near what people type: mostly eight digits, often a real date near
// the ends of the search, sometimes a stray blank, dot, sign, letter or a
// digit from another script, sometimes one character short or long.
QString random_entry(QRandomGenerator &rng, const QDateTime &at)
{
    static const QString strays = QStringLiteral(" .-+/a\u0663\uFF13\u00A0\t");
    QString text;
    if (rng.bounded(2) == 0) {
        const int days_back = rng.bounded(3) == 0   ? rng.bounded(-10, 40)
                              : rng.bounded(2) == 0 ? rng.bounded(49960, 50040)
                                                    : rng.bounded(-10, 50040);
        text = typed_days_back(at, days_back);
    } else {
        // Day 0..39, month 0..19, a year around the reach of the search.
        text = QStringLiteral("%1%2%3")
                   .arg(rng.bounded(40), 2, 10, QLatin1Char('0'))
                   .arg(rng.bounded(20), 2, 10, QLatin1Char('0'))
                   .arg(rng.bounded(1880, 2035));
    }
    switch (rng.bounded(8)) {
    case 0:
        text[rng.bounded(text.size())] = strays[rng.bounded(strays.size())];
        break;
    case 1:
        text.remove(rng.bounded(text.size()), 1);
        break;
    case 2:
        text.insert(rng.bounded(text.size() + 1), QChar(u'0' + rng.bounded(10)));
        break;
    default:
        break;
    }
    return text;
}

} // namespace

class TestDaySearch : public QObject
{
    Q_OBJECT

private:
    // One literal walk per moment, shared by the tests that look up many texts.
    const LiteralCandidates &candidates_at(const QDateTime &at)
    {
        auto found = m_candidates.find(at);
        if (found == m_candidates.end())
            found = m_candidates.emplace(at, std::make_unique<LiteralCandidates>(at)).first;
        return *found->second;
    }
    std::map<QDateTime, std::unique_ptr<LiteralCandidates>> m_candidates;

private slots:
    void entry_data();
    void entry();
    void checked_fields_data();
    void checked_fields();
    void numeric_value_data();
    void numeric_value();
    void every_day_in_reach_matches_literal();
    void random_texts_match_literal();
    void clock_change_keeps_birth_date_data();
    void clock_change_keeps_birth_date();
    void accepting_reads_the_clock_once();
    void clock_seam();
};

void TestDaySearch::entry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("age_days"); // 0: rejected

    QTest::newRow("24011973") << QStringLiteral("24011973") << 19674;
    QTest::newRow("yesterday") << QStringLiteral("05122026") << 1;
    QTest::newRow("today") << QStringLiteral("06122026") << 0;
    QTest::newRow("tomorrow") << QStringLiteral("07122026") << 0;
    QTest::newRow("later this year") << QStringLiteral("24122026") << 0;
    QTest::newRow("50000 days back") << QStringLiteral("13011890") << 50000;
    QTest::newRow("50001 days back") << QStringLiteral("12011890") << 0;
    QTest::newRow("31 February") << QStringLiteral("31021973") << 0;
    QTest::newRow("31 April") << QStringLiteral("31042000") << 0;
    QTest::newRow("29 February 2024") << QStringLiteral("29022024") << 1011;
    QTest::newRow("29 February 2000") << QStringLiteral("29022000") << 9777;
    QTest::newRow("29 February 1892") << QStringLiteral("29021892") << 49223;
    QTest::newRow("29 February 1900") << QStringLiteral("29021900") << 0;
    QTest::newRow("29 February 2023") << QStringLiteral("29022023") << 0;
    QTest::newRow("seven characters") << QStringLiteral("2401197") << 0;
    QTest::newRow("nine characters") << QStringLiteral("240119730") << 0;
    QTest::newRow("with dots") << QStringLiteral("24.01.1973") << 0;
    QTest::newRow("blank inside, passing the checks") << QStringLiteral("2401 1973") << 0;
    QTest::newRow("two-digit year") << QStringLiteral("240173") << 0;
    QTest::newRow("leading blank") << QStringLiteral(" 24011973") << 0;
    QTest::newRow("trailing blank") << QStringLiteral("24011973 ") << 0;
    QTest::newRow("empty") << QString() << 0;
    // Digits of other scripts are never read as the date they would mean.
    const QString date = QStringLiteral("24011973");
    QTest::newRow("Arabic-Indic digits") << arabic_indic(date) << 0;
    QTest::newRow("Persian digits") << in_script(date, 0x06F0) << 0;
    QTest::newRow("Devanagari digits") << in_script(date, 0x0966) << 0;
    QTest::newRow("fullwidth digits") << in_script(date, 0xFF10) << 0;
    QTest::newRow("mathematical bold digits") << in_script(date, 0x1D7CE) << 0;
    QTest::newRow("subscript digits") << in_script(date, 0x2080) << 0;
    QTest::newRow("superscript digits")
        << QStringLiteral("\u00B2\u2074\u2070\u00B9\u00B9\u2079\u2077\u00B3") << 0;
    QTest::newRow("circled digits") << QStringLiteral("②④⓪①①⑨⑦③") << 0;
    QTest::newRow("one fullwidth digit in the year")
        << date.left(7) + in_script(QStringLiteral("3"), 0xFF10) << 0;
    QTest::newRow("Arabic-Indic day") << arabic_indic(date.left(2)) + date.mid(2) << 0;
}

void TestDaySearch::entry()
{
    QFETCH(QString, entry);
    QFETCH(int, age_days);
    const QDateTime at = sunday_morning();

    const std::optional<AcceptedEntry> accepted =
        accept_birth_entry(entry, QStringLiteral("Anna"), at);
    QCOMPARE(accepted ? accepted->count.age_days : 0, age_days);
    if (!accepted)
        return;
    QCOMPARE(accepted->birth_date_text, entry);
    QCOMPARE(accepted->person_name, QStringLiteral("Anna"));
    QCOMPARE(accepted->current_year, 2026);
    QCOMPARE(accepted->count.birth_date.date(),
             QDate::fromString(entry, QStringLiteral("ddMMyyyy")));
    QCOMPARE(accepted->count.birth_date.time(), at.time());
}

void TestDaySearch::checked_fields_data()
{
    QTest::addColumn<QString>("entry");
    // Day, month and year as read, then the day and month as written in the
    // report; empty where the checks fail. The current year is 2026.
    QTest::addColumn<QString>("fields");

    QTest::newRow("24011973") << QStringLiteral("24011973") << QStringLiteral("24 1 1973, 24 01");
    QTest::newRow("05031980") << QStringLiteral("05031980") << QStringLiteral("5 3 1980, 05 03");
    QTest::newRow("31 February passes the checks")
        << QStringLiteral("31021973") << QStringLiteral("31 2 1973, 31 02");
    QTest::newRow("day 00") << QStringLiteral("00011973") << QString();
    QTest::newRow("day 32") << QStringLiteral("32011973") << QString();
    QTest::newRow("month 00") << QStringLiteral("01001973") << QString();
    QTest::newRow("month 13") << QStringLiteral("01131973") << QString();
    QTest::newRow("year 1799") << QStringLiteral("01011799") << QString();
    QTest::newRow("year 1800") << QStringLiteral("01011800") << QStringLiteral("1 1 1800, 01 01");
    QTest::newRow("current year") << QStringLiteral("31122026")
                                  << QStringLiteral("31 12 2026, 31 12");
    QTest::newRow("next year") << QStringLiteral("01012027") << QString();
    QTest::newRow("seven characters give year 1197") << QStringLiteral("2401197") << QString();
    QTest::newRow("dots give month 0") << QStringLiteral("24.01.1973") << QString();
    QTest::newRow("leading blank gives month 40") << QStringLiteral(" 24011973") << QString();
    QTest::newRow("trailing blank gives year 973") << QStringLiteral("24011973 ") << QString();
    QTest::newRow("blanks after single digits")
        << QStringLiteral("1 2 1973") << QStringLiteral("1 2 1973, 01 02");
    QTest::newRow("Arabic-Indic digits") << arabic_indic(QStringLiteral("24011973")) << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestDaySearch::checked_fields()
{
    QFETCH(QString, entry);

    const std::optional<CheckedEntry> checked = check_birth_entry(entry, 2026);
    const QString fields = checked ? QStringLiteral("%1 %2 %3, %4 %5")
                                         .arg(checked->birth_day)
                                         .arg(checked->birth_month)
                                         .arg(checked->birth_year)
                                         .arg(checked->day_text, checked->month_text)
                                   : QString();
    QTEST(fields, "fields");
}

void TestDaySearch::numeric_value_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("digits") << QStringLiteral("1973") << 1973;
    QTest::newRow("leading zero") << QStringLiteral("05") << 5;
    QTest::newRow("leading blanks") << QStringLiteral("  7") << 7;
    QTest::newRow("leading tab") << QStringLiteral("\t7") << 7;
    QTest::newRow("stops at a blank after digits") << QStringLiteral("7 ") << 7;
    QTest::newRow("stops at a letter") << QStringLiteral("1a2") << 1;
    QTest::newRow("letter first") << QStringLiteral("a1") << 0;
    QTest::newRow("dot first") << QStringLiteral(".0") << 0;
    QTest::newRow("minus") << QStringLiteral("-3") << -3;
    QTest::newRow("plus") << QStringLiteral("+4") << 4;
    QTest::newRow("Arabic-Indic digit") << QStringLiteral("\u0663") << 0;
    QTest::newRow("fullwidth digit") << QStringLiteral("\uFF19") << 0;
    QTest::newRow("too large saturates")
        << QStringLiteral("99999999999999999999") << std::numeric_limits<int>::max();
}

void TestDaySearch::numeric_value()
{
    QFETCH(QString, text);
    QTEST(::numeric_value(text), "value");
}

void TestDaySearch::every_day_in_reach_matches_literal()
{
    for (const auto &[moment, at] : pinned_moments()) {
        const LiteralCandidates &literal = candidates_at(at);
        int clock_changes = 0;
        for (int n = -5; n <= max_days_back + 5; ++n) {
            const QString entry = typed_days_back(at, n);
            const QString mismatch =
                compare_with_literal(at, entry, literal.find(entry), clock_changes);
            if (!mismatch.isEmpty())
                QFAIL(qPrintable(QLatin1String(moment) + QStringLiteral(", ") + mismatch));
        }
        if (clock_changes > 0)
            qInfo("%s: %d dates differ through clock changes", moment, clock_changes);
        if (at.timeSpec() == Qt::UTC)
            QCOMPARE(clock_changes, 0);
    }
}

void TestDaySearch::random_texts_match_literal()
{
    constexpr int texts_per_moment = 20000;
    QRandomGenerator rng(20261206);
    for (const auto &[moment, at] : pinned_moments()) {
        const LiteralCandidates &literal = candidates_at(at);
        int found = 0;
        int clock_changes = 0;
        for (int i = 0; i < texts_per_moment; ++i) {
            const QString entry = random_entry(rng, at);
            const std::optional<DayCount> expected = literal.find(entry);
            const QString mismatch = compare_with_literal(at, entry, expected, clock_changes);
            if (!mismatch.isEmpty())
                QFAIL(qPrintable(QLatin1String(moment) + QStringLiteral(", ") + mismatch));
            found += expected.has_value();
        }
        // The texts must reach both answers often enough to mean something.
        QVERIFY2(found > texts_per_moment / 10 && found < texts_per_moment * 9 / 10, moment);
    }
}

void TestDaySearch::clock_change_keeps_birth_date_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("age_days");
    QTest::addColumn<QString>("weekday");

    // Nuuk puts its clocks forward at 23:00 on Saturday, 28 March 2026, so at
    // 23:30 that evening does not exist: the birth date must stay Saturday.
    const QTimeZone nuuk("America/Nuuk");
    QTest::newRow("Nuuk, gap at the end of the birthday")
        << QByteArray("America/Nuuk") << QDateTime(QDate(2026, 12, 6), QTime(23, 30), nuuk)
        << QStringLiteral("28032026") << 253 << QStringLiteral("Samstag");
    QTest::newRow("Nuuk, the day after the gap")
        << QByteArray("America/Nuuk") << QDateTime(QDate(2026, 12, 6), QTime(23, 30), nuuk)
        << QStringLiteral("29032026") << 252 << QStringLiteral("Sonntag");
    const QTimeZone berlin("Europe/Berlin");
    QTest::newRow("Berlin, gap at night")
        << QByteArray("Europe/Berlin") << QDateTime(QDate(2026, 12, 6), QTime(2, 30), berlin)
        << QStringLiteral("29032026") << 252 << QStringLiteral("Sonntag");
    // The first summer time began at 23:00 on Sunday, 30 April 1916.
    QTest::newRow("Berlin 1916, gap at the end of the birthday")
        << QByteArray("Europe/Berlin") << QDateTime(QDate(2026, 12, 6), QTime(23, 30), berlin)
        << QStringLiteral("30041916") << 40397 << QStringLiteral("Sonntag");
    // Local mean time gave way to CET at midnight on Saturday, 1 April 1893.
    QTest::newRow("Berlin 1893, gap at the start of the birthday")
        << QByteArray("Europe/Berlin") << QDateTime(QDate(2026, 12, 6), QTime(0, 0), berlin)
        << QStringLiteral("01041893") << 48826 << QStringLiteral("Samstag");
    QTest::newRow("Berlin 1893, the day before the gap")
        << QByteArray("Europe/Berlin") << QDateTime(QDate(2026, 12, 6), QTime(0, 0), berlin)
        << QStringLiteral("31031893") << 48827 << QStringLiteral("Freitag");
}

void TestDaySearch::clock_change_keeps_birth_date()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, at);
    QFETCH(QString, entry);
    QFETCH(int, age_days);
    if (!QTimeZone(zone).isValid())
        QSKIP("no time zone data on this machine (package tzdata)");
    const std::optional<AcceptedEntry> accepted =
        accept_birth_entry(entry, QStringLiteral("Anna"), at);
    QVERIFY(accepted);
    QCOMPARE(accepted->count.age_days, age_days);
    QCOMPARE(accepted->count.birth_date.date(),
             QDate::fromString(entry, QStringLiteral("ddMMyyyy")));
    QTEST(analyse_entry(*accepted, 45, at).birth_weekday, "weekday");
}

void TestDaySearch::accepting_reads_the_clock_once()
{
    // The caller reads now once and hands it down; the search and the whole
    // analysis must not look at the clock again, or passing midnight during
    // them would shift the answer by a day.
    int readings = 0;
    const Clock counting([&readings] {
        ++readings;
        return sunday_morning().addDays(readings - 1);
    });
    const QDateTime at = counting.now();
    const std::optional<AcceptedEntry> accepted =
        accept_birth_entry(QStringLiteral("24011973"), QStringLiteral("Anna"), at);
    QVERIFY(accepted);
    const AnalysisResult result = analyse_entry(*accepted, 49, at);
    QCOMPARE(readings, 1);
    QCOMPARE(result.age_days, 19674);
    QCOMPARE(result.today_long_date, QStringLiteral("06.Dezember.2026"));
}

void TestDaySearch::clock_seam()
{
    const QDateTime pinned_at(QDate(1999, 12, 31), QTime(23, 59, 59));
    QCOMPARE(Clock::pinned(pinned_at).now(), pinned_at);
    // The default clock is the machine's local time.
    const QDateTime real = Clock().now();
    QCOMPARE(real.timeSpec(), Qt::LocalTime);
    QVERIFY(qAbs(real.secsTo(QDateTime::currentDateTime())) < 60);
}

QTEST_GUILESS_MAIN(TestDaySearch)
#include "test_day_search.moc"
