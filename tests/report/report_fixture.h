#pragma once

#include "engine.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// Shared by the report tests: a pinned clock and analyses made by the engine
// exactly as the report routines make them.

/// Sunday, 6 December 2026, 14 o'clock.
inline QDateTime pinned_now()
{
    return QDateTime(QDate(2026, 12, 6), QTime(14, 0));
}

/// Pins the engine's clock while the object lives.
class PinnedClock
{
public:
    explicit PinnedClock(const QDateTime &at)
    {
        set_clock([at] { return at; });
    }
    ~PinnedClock() { set_clock({}); }
    PinnedClock(const PinnedClock &) = delete;
    PinnedClock &operator=(const PinnedClock &) = delete;
};

/// The analysis of a typed entry at the given moment; aborts the test
/// program when the engine refuses the entry, as every entry used is valid.
inline AnalysisResult analysed(const QString &entry, const QString &name, int lottery_variant = 45,
                               const QDateTime &at = pinned_now())
{
    const std::optional<AcceptedEntry> accepted = accept_birth_entry(entry, name, at);
    if (!accepted)
        qFatal("the engine refused the entry %s", qPrintable(entry));
    return analyse_entry(*accepted, lottery_variant, at);
}

/// The analysis of a person age_days days old at the given moment.
inline AnalysisResult analysed_days_old(int age_days, const QString &name = QStringLiteral("Eva"),
                                        const QDateTime &at = pinned_now())
{
    const QString entry = at.date().addDays(-age_days).toString(QStringLiteral("ddMMyyyy"));
    return analysed(entry, name, 45, at);
}

/// The example person: Eva, born 5 March 1973.
inline AnalysisResult eva(int lottery_variant = 45)
{
    return analysed(QStringLiteral("05031973"), QStringLiteral("Eva"), lottery_variant);
}
