#include "recording_surface.h"
#include "report_fixture.h"
#include "report_lines.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTest>

#include <algorithm>

namespace {

RecordingSurface written(const AnalysisResult &result, OutputKind kind = OutputKind::printer)
{
    RecordingSurface surface;
    write_report_lines(result, surface, kind, Clock::pinned(pinned_now()));
    return surface;
}

// A line as it reads for anyone: figures and weekdays masked, an empty line
// marked as such.
QString shape(const RecordingSurface::Line &line)
{
    static const QRegularExpression varying(
        QStringLiteral("\\d+|\\b(Mon|Diens|Donners|Frei|Sams|Sonn)tag\\b|\\bMittwoch\\b"));
    return line.empty ? QStringLiteral("(empty)")
                      : QString(line.text).replace(varying, QStringLiteral("#"));
}

} // namespace

class TestReportLines : public QObject
{
    Q_OBJECT

private slots:
    void line_sequence_data();
    void line_sequence();
    void attributes_data();
    void attributes();
    void font_name_set_once_before_line_one();
    void eva_example();
    void lottery_heading_data();
    void lottery_heading();
    void names_written_as_entered_data();
    void names_written_as_entered();
    void clock_read_when_the_line_is_written_data();
    void clock_read_when_the_line_is_written();
};

void TestReportLines::line_sequence_data()
{
    QTest::addColumn<int>("age_days");
    QTest::addColumn<QStringList>("left_out"); // a word of each line left out

    const QStringList young = {QStringLiteral("spenden"), QStringLiteral("Zähne"),
                               QStringLiteral("Zahnarzt")};
    const QStringList no_blood = {QStringLiteral("spenden")};
    QTest::newRow("1 day old") << 1 << young;
    QTest::newRow("104 weeks and 6 days") << 104 * 7 + 6 << young;
    QTest::newRow("105 weeks") << 105 * 7 << no_blood;
    QTest::newRow("936 weeks and 6 days") << 936 * 7 + 6 << no_blood;
    QTest::newRow("937 weeks") << 937 * 7 << QStringList();
    QTest::newRow("50000 days") << 50000 << QStringList();
}

// Eva's 34 lines (eva_example), less those left out, in the same shape.
void TestReportLines::line_sequence()
{
    QFETCH(int, age_days);
    QFETCH(QStringList, left_out);

    QStringList expected;
    for (const RecordingSurface::Line &line : written(eva()).lines) {
        if (std::none_of(left_out.begin(), left_out.end(),
                         [&](const QString &word) { return line.text.contains(word); }))
            expected << shape(line);
    }
    QCOMPARE(expected.size(), 34 - left_out.size());
    QStringList shapes;
    for (const RecordingSurface::Line &line : written(analysed_days_old(age_days)).lines)
        shapes << shape(line);
    QCOMPARE(shapes, expected);
}

void TestReportLines::attributes_data()
{
    QTest::addColumn<OutputKind>("kind");
    QTest::addColumn<QList<double>>("sizes");

    // Line by line, 1 to 34, in points.
    const QList<double> printed = {16, 12, 12, 12, 14, 14, 14, 12, 12, 12, 12, 12,
                                   12, 12, 12, 12, 12, 12, 12, 14, 14, 12, 12, 12,
                                   12, 12, 12, 12, 12, 12, 12, 12, 9,  9};
    const QList<double> screen = {10, 8, 8, 8, 9, 9, 9, 8, 8, 8, 8, 8, 8, 8, 8, 8,   8,
                                  8,  8, 9, 9, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 6.5, 6.5};
    QTest::newRow("printer") << OutputKind::printer << printed;
    QTest::newRow("screen") << OutputKind::screen << screen;
}

void TestReportLines::attributes()
{
    QFETCH(OutputKind, kind);
    QFETCH(QList<double>, sizes);

    const QList<int> bold = {1, 6, 7, 21};
    const QList<int> underlined = {1};
    const RecordingSurface surface = written(eva(), kind);
    // Both outputs write the same lines.
    QCOMPARE(surface.texts(), written(eva(), OutputKind::printer).texts());
    QCOMPARE(surface.lines.size(), 34);
    for (int number = 1; number <= 34; ++number) {
        const RecordingSurface::Line &line = surface.lines.at(number - 1);
        const QByteArray where = "line " + QByteArray::number(number);
        QVERIFY2(line.size == sizes.at(number - 1), where.constData());
        QVERIFY2(line.bold == bold.contains(number), where.constData());
        QVERIFY2(line.underline == underlined.contains(number), where.constData());
        QVERIFY2(line.font_name == QStringLiteral("Times New Roman"), where.constData());
    }
}

void TestReportLines::font_name_set_once_before_line_one()
{
    const RecordingSurface surface = written(analysed_days_old(300));
    // Set once, before line one (attributes finds it on every line).
    QCOMPARE(surface.font_names_set, 1);
    // The composition leaves the position alone: the outputs decide where it
    // starts.
    QCOMPARE(surface.positions_set, 0);
}

void TestReportLines::eva_example()
{
    const AnalysisResult r = eva();
    const auto n = [](std::int64_t value) { return QString::number(value); };
    QStringList lottery;
    for (int number : r.draw.lottery_numbers)
        lottery << n(number);

    const QList<QString> expected = {
        QStringLiteral("Auswertung des Geburtsdatums:"),
        QString(),
        QStringLiteral("Eva wurde am 5.3.1973 geboren, das war ein Montag."),
        QStringLiteral("Heute ist Sonntag der 06.Dezember.2026 und Sie sind heute:"),
        QStringLiteral("2804 Wochen oder 19634 Tage oder 471230 Stunden alt."),
        QStringLiteral(
            "Wollen Sie wissen an welchen Wochentag Ihr Geburtstag in den nächsten Jahren"),
        QStringLiteral("fällt?"),
        QStringLiteral("2027 : Freitag"),
        QStringLiteral("2028 : Sonntag"),
        QStringLiteral("2029 : Montag"),
        QStringLiteral("2030 : Dienstag"),
        QStringLiteral("2031 : Mittwoch"),
        QStringLiteral("2032 : Freitag"),
        QStringLiteral("2033 : Samstag"),
        QStringLiteral("2034 : Sonntag"),
        QStringLiteral("2035 : Montag"),
        QStringLiteral("2036 : Mittwoch"),
        QStringLiteral("Ihre Glückszahl für 2026 ist ") + n(r.draw.lucky_number),
        QStringLiteral("Auf der Basis Ihres Geburtsdatums wurden folgende Lottozahlen (6 aus 45) "
                       "berechnet:"),
        lottery.join(QLatin1Char(' ')),
        QStringLiteral("Hier einige Daten was Ihr Körper schon geleistet hat:"),
        QStringLiteral("Ihr Herz hat ") + n(r.body.heartbeats) + QStringLiteral(" mal geschlagen."),
        QStringLiteral("Ihre Lunge hat ") + n(r.body.breaths) +
            QStringLiteral(" Atemzüge getätigt."),
        QStringLiteral("Ihr Herz hat ") + n(r.body.blood_litres) +
            QStringLiteral(" Liter Blut durch Ihren Körper gepumpt"),
        QStringLiteral("Sie haben ") + n(r.body.gastric_juice_litres) +
            QStringLiteral(" Liter Magensaft produziert."),
        QStringLiteral("Sie haben ") + n(r.body.bile_litres) +
            QStringLiteral(" Liter Gallensaft erzeugt."),
        QStringLiteral("Sie haben ") + n(r.body.meals) +
            QStringLiteral(" Mahlzeiten zu sich genommen."),
        QStringLiteral("Sie haben ") + n(r.body.toilet_visits) +
            QStringLiteral(" mal das WC besucht."),
        QStringLiteral("Sie hätten ") + n(r.body.blood_donation_ccm) +
            QStringLiteral(" ccm Blut spenden können"),
        QStringLiteral("Sie hätten ") + n(r.body.tooth_brushings) +
            QStringLiteral(" mal Ihre Zähne putzen sollen"),
        QStringLiteral("Sie hätten ") + n(r.body.dentist_visits) +
            QStringLiteral(" mal Ihren Zahnarzt besuchen sollen"),
        QString(),
        QStringLiteral("Quendra 2.0 – ein Programm der Quendra-Werkstatt · Kontakt: "
                       "post@quendra.example.org"),
        QStringLiteral("www.quendra.example.org"),
    };
    const RecordingSurface surface = written(r);
    QCOMPARE(surface.texts(), expected);
}

void TestReportLines::lottery_heading_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("heading");

    QTest::newRow("6 aus 45") << 45
                              << QStringLiteral("Auf der Basis Ihres Geburtsdatums wurden folgende "
                                                "Lottozahlen (6 aus 45) berechnet:");
    QTest::newRow("6 aus 49") << 49
                              << QStringLiteral("Auf der Basis Ihres Geburtsdatums wurden folgende "
                                                "Lottozahlen (6 aus 49) berechnet:");
}

void TestReportLines::lottery_heading()
{
    QFETCH(int, variant);
    QFETCH(QString, heading);

    const QList<QString> lines = written(eva(variant)).texts();
    const QList<QString> other = written(eva(variant == 45 ? 49 : 45)).texts();
    QCOMPARE(lines.at(18), heading);
    // Only the heading and the numbers below it depend on the lottery.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i != 18 && i != 19)
            QCOMPARE(lines.at(i), other.at(i));
    }
}

void TestReportLines::names_written_as_entered_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("blanks") << QStringLiteral("Anna Maria  von der Au");
    QTest::newRow("leading and trailing blanks") << QStringLiteral(" Eva ");
    QTest::newRow("punctuation") << QStringLiteral("O'Brien, J. (jr.) - Dr.!?;:");
    QTest::newRow("umlauts") << QStringLiteral("Jürgen Öztürk-Weiß, Ärzte & Äpfel");
    QTest::newRow("markup") << QStringLiteral("<b>Eva</b> &amp; %1");
    QTest::newRow("single letter") << QStringLiteral("E");
}

void TestReportLines::names_written_as_entered()
{
    QFETCH(QString, name);

    const AnalysisResult result = analysed(QStringLiteral("05031973"), name);
    const QList<QString> lines = written(result).texts();
    QCOMPARE(lines.at(2), name + QStringLiteral(" wurde am 5.3.1973 geboren, das war ein Montag."));
}

void TestReportLines::clock_read_when_the_line_is_written_data()
{
    QTest::addColumn<int>("switch_after_line");
    QTest::addColumn<QString>("today_line");
    QTest::addColumn<QString>("lucky_year");

    const QString new_year =
        QStringLiteral("Heute ist Freitag der 01.Januar.2027 und Sie sind heute:");
    const QString old_year =
        QStringLiteral("Heute ist Donnerstag der 31.Dezember.2026 und Sie sind heute:");
    QTest::newRow("midnight before line 4") << 3 << new_year << QStringLiteral("2027");
    QTest::newRow("midnight between lines 4 and 18") << 4 << old_year << QStringLiteral("2027");
    QTest::newRow("midnight after line 18") << 18 << old_year << QStringLiteral("2026");
}

void TestReportLines::clock_read_when_the_line_is_written()
{
    QFETCH(int, switch_after_line);
    QFETCH(QString, today_line);
    QFETCH(QString, lucky_year);

    const QDateTime before_midnight(QDate(2026, 12, 31), QTime(23, 59, 59));
    const QDateTime after_midnight(QDate(2027, 1, 1), QTime(0, 0, 1));
    const AnalysisResult result =
        analysed(QStringLiteral("05031973"), QStringLiteral("Eva"), 45, before_midnight);

    QDateTime current = before_midnight;
    const Clock clock([&current] { return current; });
    RecordingSurface surface;
    surface.after_line = [&](int lines) {
        if (lines == switch_after_line)
            current = after_midnight;
    };
    write_report_lines(result, surface, OutputKind::screen, clock);

    const QList<QString> lines = surface.texts();
    QCOMPARE(lines.at(3), today_line);
    QCOMPARE(lines.at(17), QStringLiteral("Ihre Glückszahl für ") + lucky_year +
                               QStringLiteral(" ist ") + QString::number(result.draw.lucky_number));
    // The figures themselves stay those of the analysis.
    QCOMPARE(lines.at(4), QString::number(result.age_weeks) + QStringLiteral(" Wochen oder ") +
                              QString::number(result.age_days) + QStringLiteral(" Tage oder ") +
                              QString::number(result.age_hours) + QStringLiteral(" Stunden alt."));
}

QTEST_GUILESS_MAIN(TestReportLines)
#include "test_report_lines.moc"
