// How long the user waits for the engine: rejecting an entry after the whole
// search, and everything from an accepted entry to the finished record; the
// literal walk over 50000 days is measured beside them for comparison.
#include "engine.h"
#include "literal_search.h"

#include <benchmark/benchmark.h>

namespace {

// Entries are made relative to the real today, as a user would type them.
QString typed_days_back(int days)
{
    return Clock().now().date().addDays(-days).toString(QStringLiteral("ddMMyyyy"));
}

const QString name = QStringLiteral("Anna");

// Each pass reads the clock once and checks and searches, as one pass of
// the entry prompt does.
void reject(benchmark::State &state, int days_back)
{
    const QString entry = typed_days_back(days_back);
    for (auto _ : state) {
        std::optional<AcceptedEntry> accepted = accept_birth_entry(entry, name, Clock().now());
        benchmark::DoNotOptimize(accepted);
        if (accepted)
            state.SkipWithError("the entry was accepted");
    }
}

void reject_50001_days_back(benchmark::State &state)
{
    reject(state, max_days_back + 1);
}

// A date later this year passes the range checks and is turned away only by
// the search (on 31 December there is none: today itself then).
void reject_future_date(benchmark::State &state)
{
    const QDate today = Clock().now().date();
    reject(state, today.addDays(1).year() == today.year() ? -1 : 0);
}

void accept_24011973(benchmark::State &state)
{
    const QString entry = QStringLiteral("24011973");
    for (auto _ : state) {
        std::optional<AcceptedEntry> accepted = accept_birth_entry(entry, name, Clock().now());
        benchmark::DoNotOptimize(accepted);
        if (!accepted)
            state.SkipWithError("the entry was rejected");
    }
}

void analyse_accepted_entry(benchmark::State &state)
{
    const std::optional<AcceptedEntry> accepted =
        accept_birth_entry(QStringLiteral("24011973"), name, Clock().now());
    if (!accepted) {
        state.SkipWithError("the entry was rejected");
        return;
    }
    for (auto _ : state) {
        AnalysisResult result = analyse_entry(*accepted, 49, Clock().now());
        benchmark::DoNotOptimize(result);
    }
}

void literal_search_50001_days_back(benchmark::State &state)
{
    const QString entry = typed_days_back(max_days_back + 1);
    for (auto _ : state) {
        std::optional<DayCount> count = literal_count_days_back(entry, Clock().now());
        benchmark::DoNotOptimize(count);
        if (count)
            state.SkipWithError("the entry was found");
    }
}

} // namespace

BENCHMARK(reject_50001_days_back)->Unit(benchmark::kMicrosecond);
BENCHMARK(reject_future_date)->Unit(benchmark::kMicrosecond);
BENCHMARK(accept_24011973)->Unit(benchmark::kMicrosecond);
BENCHMARK(analyse_accepted_entry)->Unit(benchmark::kMicrosecond);
BENCHMARK(literal_search_50001_days_back)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
