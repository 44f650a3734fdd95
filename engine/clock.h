#pragma once

#include <QDateTime>

#include <functional>

// Where the program asks what time it is. Whoever needs the time is handed a
// Clock: the real one reads the local date and time, a test pins any date
// and hour.
class Clock
{
public:
    /// The real local clock.
    Clock() = default;
    /// A clock that answers with whatever source returns.
    explicit Clock(std::function<QDateTime()> source) : source(std::move(source)) {}
    /// A clock standing still at at.
    static Clock pinned(const QDateTime &at)
    {
        return Clock([at] { return at; });
    }

    /// The current local date and time.
    QDateTime now() const { return source ? source() : QDateTime::currentDateTime(); }

private:
    std::function<QDateTime()> source;
};
