#pragma once

#include "clock.h"

#include <QDate>
#include <QDateTime>
#include <QString>

// Pins the engine's clock for as long as the object lives, so that a test
// reads the same now wherever the engine would read it.
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
