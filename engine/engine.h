#pragma once

// The analysis engine: from a typed birth date, a name and the clock to every
// figure of one report.
//
// In:  the date text and name as typed, one reading of the clock (clock.h),
//      the lottery variant.
// Out: one AnalysisResult. accept_birth_entry checks and counts the days;
//      analyse_entry then runs the calendar facts, the body statistics and
//      the lucky draw, in that order, without touching any window.
//
// QtCore only: QDate for the calendar, QLocale for German day and month
// names, QRandomGenerator for the one shared generator.

#include "analysis_result.h"
#include "birth_entry.h"
#include "body_statistics.h"
#include "calendar.h"
#include "clock.h"
#include "lottery.h"
#include "report_locale.h"

/// Every figure of one analysis from an accepted entry: calendar facts,
/// body statistics, then the seeded lucky draw, and today's weekday, long
/// date and year as of now. Takes the hour and the seed's year from now.
/// The draw seeds generator, which goes on from there for its other users.
AnalysisResult analyse_entry(const AcceptedEntry &entry, int lottery_variant, const QDateTime &now,
                             QRandomGenerator &generator);

/// The same with a generator of its own, for a caller that draws nothing
/// else: the seeding makes the figures the same.
AnalysisResult analyse_entry(const AcceptedEntry &entry, int lottery_variant, const QDateTime &now);
