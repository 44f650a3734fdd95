#pragma once

#include "clock.h"
#include "engine.h"

#include <QDate>
#include <QDateTime>
#include <QString>

/// A date as the user types it.
inline QString typed(const QDate &date)
{
    return date.toString(QStringLiteral("ddMMyyyy"));
}

/// The eight digits of a date n days before the date of at.
inline QString typed_days_back(const QDateTime &at, int n)
{
    return typed(at.date().addDays(-n));
}

// The one moment the tests pin the program's clock to, and analyses made by
// the engine exactly as the report routines make them, at that moment.

/// Sunday, 6 December 2026, 14 o'clock.
inline QDateTime pinned_now()
{
    return QDateTime(QDate(2026, 12, 6), QTime(14, 0));
}

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
