#include "literal_search.h"

namespace {

QString candidate_text(const QDateTime &candidate)
{
    return candidate.toString(QStringLiteral("ddMMyyyy"));
}

} // namespace

std::optional<DayCount> literal_count_days_back(const QString &entry, const QDateTime &now)
{
    for (int k = 1; k <= max_days_back; ++k) {
        const QDateTime candidate = now.addDays(-k);
        if (candidate_text(candidate) == entry)
            return DayCount{k, candidate};
    }
    return std::nullopt;
}

LiteralCandidates::LiteralCandidates(const QDateTime &now) : m_now(now)
{
    m_first_k.reserve(max_days_back);
    for (int k = 1; k <= max_days_back; ++k) {
        // A clock change can write two candidates alike; the walk stops at the first.
        const QString text = candidate_text(now.addDays(-k));
        if (!m_first_k.contains(text))
            m_first_k.insert(text, k);
    }
}

std::optional<DayCount> LiteralCandidates::find(const QString &entry) const
{
    const auto found = m_first_k.constFind(entry);
    if (found == m_first_k.constEnd())
        return std::nullopt;
    return DayCount{found.value(), m_now.addDays(-found.value())};
}
