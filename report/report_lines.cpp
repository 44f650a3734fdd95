#include "report_lines.h"

#include "calendar.h"
#include "clock.h"
#include "report_locale.h"

#include <QStringList>

namespace {

QString number(std::int64_t value)
{
    // Plain digits: no grouping, whatever the locale.
    return QString::number(value);
}

// Line 3: the birth date without leading zeros.
// A name may open a direction isolate or embedding and leave it open; closed
// right after the name, it cannot turn the report's own words round. Isolates
// first: closing one also ends every embedding opened inside it.
QString closed_name(const QString &name)
{
    QString isolates;
    QString embeddings;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 0x2066 && u <= 0x2068)
            isolates += QChar(0x2069);
        else if (u == 0x202A || u == 0x202B || u == 0x202D || u == 0x202E)
            embeddings += QChar(0x202C);
    }
    return name + isolates + embeddings;
}

QString birth_line(const AnalysisResult &result)
{
    return closed_name(result.person_name) + QStringLiteral(" wurde am ") +
           number(result.birth_day) + QLatin1Char('.') + number(result.birth_month) +
           QLatin1Char('.') + number(result.birth_year) + QStringLiteral(" geboren, das war ein ") +
           result.birth_weekday + QLatin1Char('.');
}

QString today_line(const QDateTime &now)
{
    const TodayFacts today = today_facts(now);
    return QStringLiteral("Heute ist ") + today.today_weekday + QStringLiteral(" der ") +
           today.today_long_date + QStringLiteral(" und Sie sind heute:");
}

QString lucky_line(const AnalysisResult &result, const QDateTime &now)
{
    const QString year = report_locale().toString(now.date(), QStringLiteral("yyyy"));
    return QStringLiteral("Ihre Glückszahl für ") + year + QStringLiteral(" ist ") +
           number(result.draw.lucky_number);
}

QString lottery_heading(int variant)
{
    return variant == 45 ? QStringLiteral("Auf der Basis Ihres Geburtsdatums wurden folgende "
                                          "Lottozahlen (6 aus 45) berechnet:")
                         : QStringLiteral("Auf der Basis Ihres Geburtsdatums wurden folgende "
                                          "Lottozahlen (6 aus 49) berechnet:");
}

QString lottery_line(const AnalysisResult &result)
{
    QStringList numbers;
    for (int n : result.draw.lottery_numbers)
        numbers << number(n);
    return numbers.join(QLatin1Char(' '));
}

} // namespace

double report_font_size(double printed_points, OutputKind kind)
{
    return kind == OutputKind::screen ? printed_points / 2 + 2 : printed_points;
}

void write_report_lines(const AnalysisResult &result, ReportSurface &surface, OutputKind kind,
                        const Clock &clock)
{
    const auto size = [&surface, kind](double printed_points) {
        surface.set_font_size(report_font_size(printed_points, kind));
    };
    const auto write = [&surface](const QString &text) { surface.write_line(text); };

    surface.set_font_name(QStringLiteral("Times New Roman"));
    size(16);
    surface.set_bold(true);
    surface.set_underline(true);
    write(QStringLiteral("Auswertung des Geburtsdatums:"));

    size(12);
    surface.set_underline(false);
    surface.set_bold(false);
    surface.write_empty_line();
    write(birth_line(result));
    write(today_line(clock.now()));

    size(14);
    write(number(result.age_weeks) + QStringLiteral(" Wochen oder ") + number(result.age_days) +
          QStringLiteral(" Tage oder ") + number(result.age_hours) +
          QStringLiteral(" Stunden alt."));
    surface.set_bold(true);
    write(QStringLiteral(
        "Wollen Sie wissen an welchen Wochentag Ihr Geburtstag in den nächsten Jahren"));
    write(QStringLiteral("fällt?"));

    size(12);
    surface.set_bold(false);
    for (std::size_t k = 0; k < result.next_birthday_years.size(); ++k)
        write(number(result.next_birthday_years[k]) + QStringLiteral(" : ") +
              result.next_birthday_weekdays[k]);
    write(lucky_line(result, clock.now()));
    write(lottery_heading(result.draw.lottery_variant));

    size(14);
    write(lottery_line(result));
    surface.set_bold(true);
    write(QStringLiteral("Hier einige Daten was Ihr Körper schon geleistet hat:"));

    size(12);
    surface.set_bold(false);
    write(QStringLiteral("Ihr Herz hat ") + number(result.body.heartbeats) +
          QStringLiteral(" mal geschlagen."));
    write(QStringLiteral("Ihre Lunge hat ") + number(result.body.breaths) +
          QStringLiteral(" Atemzüge getätigt."));
    write(QStringLiteral("Ihr Herz hat ") + number(result.body.blood_litres) +
          QStringLiteral(" Liter Blut durch Ihren Körper gepumpt"));
    write(QStringLiteral("Sie haben ") + number(result.body.gastric_juice_litres) +
          QStringLiteral(" Liter Magensaft produziert."));
    write(QStringLiteral("Sie haben ") + number(result.body.bile_litres) +
          QStringLiteral(" Liter Gallensaft erzeugt."));
    write(QStringLiteral("Sie haben ") + number(result.body.meals) +
          QStringLiteral(" Mahlzeiten zu sich genommen."));
    write(QStringLiteral("Sie haben ") + number(result.body.toilet_visits) +
          QStringLiteral(" mal das WC besucht."));
    if (result.body.show_blood_donation)
        write(QStringLiteral("Sie hätten ") + number(result.body.blood_donation_ccm) +
              QStringLiteral(" ccm Blut spenden können"));
    if (result.body.show_dental_care) {
        write(QStringLiteral("Sie hätten ") + number(result.body.tooth_brushings) +
              QStringLiteral(" mal Ihre Zähne putzen sollen"));
        write(QStringLiteral("Sie hätten ") + number(result.body.dentist_visits) +
              QStringLiteral(" mal Ihren Zahnarzt besuchen sollen"));
    }
    surface.write_empty_line();

    size(9);
    write(QStringLiteral("Quendra " QUENDRA_VERSION_TEXT " – ein Programm der Quendra-Werkstatt · "
                         "Kontakt: post@quendra.example.org"));
    write(QStringLiteral("www.quendra.example.org"));
}
