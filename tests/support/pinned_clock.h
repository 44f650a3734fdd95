#pragma once

#include "clock.h"

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
