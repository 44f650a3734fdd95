#pragma once

#include "analysis_result.h"
#include "birth_entry.h"

#include <QDateTime>
#include <QString>

/// Today's weekday and long date ("06.Dezember.2026") in the report locale.
struct TodayFacts
{
    QString today_weekday;
    QString today_long_date;
};

/// Copies the accepted entry into the result and derives age_weeks,
/// age_hours, birth_weekday and the next ten birthdays' weekdays.
/// The hour comes from now; the years follow the entry's current_year.
void compute_calendar_facts(const AcceptedEntry &entry, const QDateTime &now,
                            AnalysisResult &result);

/// Weekday and long date of now.
TodayFacts today_facts(const QDateTime &now);
