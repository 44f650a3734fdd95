#include "clock.h"

namespace {
Clock &installed_clock()
{
    static Clock clock;
    return clock;
}
} // namespace

QDateTime now()
{
    const Clock &clock = installed_clock();
    return clock ? clock() : QDateTime::currentDateTime();
}

void set_clock(Clock clock)
{
    installed_clock() = std::move(clock);
}
