#pragma once

#include "birth_entry.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>

// The day search done the slow, obvious way: walk back from now one day at a
// time, write each candidate as ddMMyyyy and compare the whole text. The
// engine's constant-time search must give exactly its answers; the tests use
// it as their oracle and the benchmark as the yardstick.

/// The first k in 1..50000 whose candidate now - k days, written ddMMyyyy,
/// equals entry; nullopt when none does.
std::optional<DayCount> literal_count_days_back(const QString &entry, const QDateTime &now);

/// The same walk done once for one now, remembering every candidate text with
/// its first k, so that thousands of entries can be looked up against it.
class LiteralCandidates
{
public:
    explicit LiteralCandidates(const QDateTime &now);

    /// What literal_count_days_back(entry, now) answers.
    std::optional<DayCount> find(const QString &entry) const;

private:
    QDateTime m_now;
    QHash<QString, int> m_first_k;
};
