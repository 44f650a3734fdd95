// libFuzzer target for the whole entry path: whatever a stranger types into
// the two boxes, at whatever moment, goes through the checks, the day count,
// every computation and the report composition without a crash, and whatever
// comes out holds.
//
// Input layout (short inputs are padded with zero bytes):
//   bytes 0-3   the pinned day, counted from 1 January 1700
//   bytes 4-7   the pinned time of day in milliseconds (modulo one day)
//   byte  8     the clock's zone (see pinned_zone)
//   byte  9     how the rest is decoded: UTF-8, UTF-16 or Latin-1
//   byte  10    how many characters of the decoded rest are the date text
//   bytes 11-   the date text, then the name
// A violated promise ends the process through abort(), which libFuzzer
// reports with the input that caused it.

#include "engine.h"
#include "recording_surface.h"
#include "report_lines.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QTimeZone>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void violated(const char *what, const QString &date_text, const QDateTime &now)
{
    std::fprintf(stderr, "violated: %s\n  date text: \"%s\"\n  now: %s\n", what,
                 date_text.toUtf8().constData(),
                 now.toString(Qt::ISODateWithMs).toUtf8().constData());
    std::abort();
}

#define REQUIRE(condition)                                                                         \
    do {                                                                                           \
        if (!(condition))                                                                          \
            violated(#condition, date_text, now);                                                  \
    } while (false)

std::uint32_t read_u32(const std::uint8_t *bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

// The clock in a local zone, in UTC, at fixed offsets, and in zones whose
// clock changes happen at midnight (Sao Paulo) or once skipped a whole day
// (Apia, 30 December 2011).
QDateTime pinned_moment(QDate date, QTime time, std::uint8_t zone)
{
    switch (zone % 8) {
    case 0:
        return QDateTime(date, time, Qt::LocalTime);
    case 1:
        return QDateTime(date, time, Qt::UTC);
    case 2:
        return QDateTime(date, time, Qt::OffsetFromUTC, 14 * 3600);
    case 3:
        return QDateTime(date, time, Qt::OffsetFromUTC, -12 * 3600);
    case 4:
        return QDateTime(date, time, QTimeZone("Europe/Berlin"));
    case 5:
        return QDateTime(date, time, QTimeZone("America/Sao_Paulo"));
    case 6:
        return QDateTime(date, time, QTimeZone("Pacific/Apia"));
    default:
        return QDateTime(date, time, QTimeZone("Australia/Lord_Howe")); // half-hour changes
    }
}

QString decoded(const std::uint8_t *bytes, std::size_t size, std::uint8_t how)
{
    const char *chars = reinterpret_cast<const char *>(bytes);
    switch (how % 3) {
    case 0:
        return QString::fromUtf8(chars, qsizetype(size));
    case 1: {
        // Any 16-bit unit, lone surrogates included; copied, as the bytes
        // need not be aligned for 16-bit reads.
        QString units(qsizetype(size / 2), Qt::Uninitialized);
        std::memcpy(units.data(), bytes, std::size_t(units.size()) * sizeof(QChar));
        return units;
    }
    default:
        return QString::fromLatin1(chars, qsizetype(size));
    }
}

bool is_ascii_digit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Invisible marks that set or close a writing direction.
bool is_direction_mark(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) ||
           (u >= 0x2066 && u <= 0x2069);
}

// The date an accepted entry must name: eight ASCII digits forming a real
// day of the calendar; an invalid date otherwise.
QDate named_date(const QString &text)
{
    if (text.size() != 8)
        return {};
    for (QChar c : text) {
        if (!is_ascii_digit(c))
            return {};
    }
    return QDate(text.mid(4, 4).toInt(), text.mid(2, 2).toInt(), text.left(2).toInt());
}

// Whether the clock that gave now ever showed the given day.
bool day_exists(QDate day, const QDateTime &now)
{
    if (now.timeSpec() == Qt::TimeZone)
        return day.startOfDay(now.timeZone()).isValid();
    if (now.timeSpec() == Qt::OffsetFromUTC)
        return day.startOfDay(Qt::OffsetFromUTC, now.offsetFromUtc()).isValid();
    return day.startOfDay(now.timeSpec()).isValid();
}

void check_analysis(const AnalysisResult &result, const AcceptedEntry &entry, int variant,
                    const QString &date_text, const QDateTime &now)
{
    REQUIRE(result.person_name == entry.person_name);
    REQUIRE(result.birth_date_text == date_text);
    REQUIRE(result.age_days == entry.count.age_days);
    REQUIRE(result.age_weeks == result.age_days / 7);
    REQUIRE(result.age_hours >= std::int64_t{result.age_days} * 24);
    REQUIRE(result.age_hours < std::int64_t{result.age_days + 1} * 24);
    REQUIRE(!result.birth_weekday.isEmpty());
    REQUIRE(!result.today_weekday.isEmpty());
    REQUIRE(!result.today_long_date.isEmpty());
    for (std::size_t k = 0; k < result.next_birthday_years.size(); ++k) {
        REQUIRE(result.next_birthday_years[k] == now.date().year() + int(k) + 1);
        REQUIRE(!result.next_birthday_weekdays[k].isEmpty());
    }

    REQUIRE(result.draw.lucky_number >= 1 && result.draw.lucky_number <= 100);
    REQUIRE(result.draw.lottery_variant == variant);
    for (std::size_t i = 0; i < result.draw.lottery_numbers.size(); ++i) {
        REQUIRE(result.draw.lottery_numbers[i] >= 1 && result.draw.lottery_numbers[i] <= variant);
        if (i > 0)
            REQUIRE(result.draw.lottery_numbers[i - 1] < result.draw.lottery_numbers[i]);
    }

    for (std::int64_t figure :
         {result.body.heartbeats, result.body.breaths, result.body.blood_litres,
          result.body.gastric_juice_litres, result.body.bile_litres, result.body.meals,
          result.body.toilet_visits, result.body.tooth_brushings})
        REQUIRE(figure >= 0);
    // These two count from an age on and are only shown from then on.
    if (result.body.show_blood_donation)
        REQUIRE(result.body.blood_donation_ccm >= 0);
    if (result.body.show_dental_care)
        REQUIRE(result.body.dentist_visits >= 0);
    // About 80 heartbeats a minute for at most 50001 days stays far below this.
    REQUIRE(result.body.heartbeats < std::int64_t{10'000'000'000});
    REQUIRE(result.body.show_blood_donation == (result.age_weeks > 936));
    REQUIRE(result.body.show_dental_care == (result.age_weeks > 104));
}

void check_report(const AnalysisResult &result, OutputKind kind, const QString &date_text,
                  const QDateTime &now)
{
    RecordingSurface surface;
    write_report_lines(result, surface, kind, Clock::pinned(now));
    const qsizetype count = surface.lines.size();
    REQUIRE(count >= 31 && count <= 34);
    REQUIRE(count ==
            31 + int(result.body.show_blood_donation) + 2 * int(result.body.show_dental_care));
    // The name stands in the third line exactly as typed, however odd; only
    // marks that close its writing direction may come between it and the
    // report's own words.
    const QString &birth_line = surface.lines[2].text;
    REQUIRE(birth_line.startsWith(result.person_name));
    qsizetype after = result.person_name.size();
    while (after < birth_line.size() && is_direction_mark(birth_line[after]))
        ++after;
    REQUIRE(QStringView(birth_line).mid(after).startsWith(QStringLiteral(" wurde am ")));
    for (qsizetype i = 0; i < count; ++i) {
        const RecordingSurface::Line &line = surface.lines[i];
        REQUIRE(line.size > 0);
        REQUIRE(line.font_name == QStringLiteral("Times New Roman"));
        // No figure is ever shown negative (the name's line and the makers'
        // footer may hold a hyphen of their own).
        if (i != 2 && i < count - 2)
            REQUIRE(!line.text.contains(QLatin1Char('-')));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The local zone of the clock's first variant, the same on every machine.
    setenv("TZ", "Europe/Berlin", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::uint8_t head[11] = {};
    std::memcpy(head, data, std::min(size, sizeof head));
    const std::uint8_t *rest = data + std::min(size, sizeof head);
    const std::size_t rest_size = size - std::min(size, sizeof head);

    const QDate first_day(1700, 1, 1);
    const qint64 day_span = first_day.daysTo(QDate(9999, 12, 31)) + 1;
    const QDate date = first_day.addDays(qint64(read_u32(head) % day_span));
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(read_u32(head + 4) % 86'400'000));
    const QDateTime now = pinned_moment(date, time, head[8]);
    if (!now.isValid())
        return 0; // a moment a clock change skipped: no clock ever reads it

    const QString text = decoded(rest, rest_size, head[9]);
    const qsizetype date_length = std::min<qsizetype>(head[10] % 24, text.size());
    const QString date_text = text.left(date_length);
    const QString name = text.mid(date_length);

    // The range checks alone.
    const int current_year = now.date().year();
    const std::optional<CheckedEntry> checked = check_birth_entry(date_text, current_year);
    if (checked) {
        REQUIRE(checked->birth_day >= 1 && checked->birth_day <= 31);
        REQUIRE(checked->birth_month >= 1 && checked->birth_month <= 12);
        REQUIRE(checked->birth_year >= 1800 && checked->birth_year <= current_year);
        REQUIRE(checked->day_text.size() == 2 && checked->month_text.size() == 2);
        REQUIRE(checked->day_text.toInt() == checked->birth_day);
        REQUIRE(checked->month_text.toInt() == checked->birth_month);
    }

    // Accepted exactly when the text names a real date, from 1800 on, 1 to
    // 50000 days before now, that the clock's zone did not skip as a whole
    // (as Samoa skipped 30 December 2011): counting back day by day never
    // meets such a day either.
    const std::optional<AcceptedEntry> entry = accept_birth_entry(date_text, name, now);
    const QDate named = named_date(date_text);
    const qint64 days_back = named.isValid() ? named.daysTo(now.date()) : 0;
    const bool acceptable = named.isValid() && named.year() >= 1800 && days_back >= 1 &&
                            days_back <= max_days_back && day_exists(named, now);
    REQUIRE(entry.has_value() == acceptable);
    if (!entry)
        return 0;

    REQUIRE(checked.has_value());
    REQUIRE(entry->birth_date_text == date_text);
    REQUIRE(entry->person_name == name);
    REQUIRE(entry->current_year == current_year);
    REQUIRE(entry->count.age_days == days_back);
    REQUIRE(entry->checked.birth_day == named.day());
    REQUIRE(entry->checked.birth_month == named.month());
    REQUIRE(entry->checked.birth_year == named.year());
    // The moment of birth lies on the entered day, whatever the clock did.
    REQUIRE(entry->count.birth_date.isValid());
    REQUIRE(entry->count.birth_date.date() == named);

    for (int variant : {45, 49}) {
        const AnalysisResult result = analyse_entry(*entry, variant, now);
        check_analysis(result, *entry, variant, date_text, now);
        check_report(result, OutputKind::screen, date_text, now);
        check_report(result, OutputKind::printer, date_text, now);
    }
    return 0;
}
