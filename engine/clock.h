#pragma once

#include <QDateTime>

#include <functional>

// The one place where the program asks what time it is. Tests pin any date
// and hour through set_clock; the real clock is the local date and time.
using Clock = std::function<QDateTime()>;

/// The current local date and time, from the installed clock.
QDateTime now();

/// Installs a clock; an empty one puts the real local clock back.
void set_clock(Clock clock);
