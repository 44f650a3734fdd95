#pragma once

#include "analysis_result.h"

#include <cstdint>

/// The ten figures and two flags, in IEEE double arithmetic, floored.
BodyStatistics compute_body_statistics(std::int64_t age_days, std::int64_t age_weeks,
                                       std::int64_t age_hours);
