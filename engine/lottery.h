#pragma once

#include "analysis_result.h"

#include <QRandomGenerator>

#include <array>

/// The process-wide generator: seeded once per analysis, and drawn from by
/// the professor's face changer between analyses.
QRandomGenerator &shared_generator();

/// Next value r of the shared generator, 0 <= r < 1.
double next_random();

/// birth_year + birth_month + current_year; the day does not enter.
int lottery_seed(int birth_year, int birth_month, int current_year);

/// Seeds the shared generator, draws the lucky number first, then six
/// distinct lottery numbers out of 1..lottery_variant, sorted ascending.
LuckyDraw draw_lucky_and_lottery(int seed, int lottery_variant);
