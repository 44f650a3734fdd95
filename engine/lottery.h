#pragma once

#include "analysis_result.h"

#include <QRandomGenerator>

#include <array>

// One generator serves a whole run: each analysis seeds it, and the
// professor's face changer draws from it between analyses. Its owner (the
// main window) hands it to whoever draws.

/// Next value r of generator, 0 <= r < 1.
double next_random(QRandomGenerator &generator);

/// birth_year + birth_month + current_year; the day does not enter.
int lottery_seed(int birth_year, int birth_month, int current_year);

/// Seeds generator, draws the lucky number first, then six distinct lottery
/// numbers out of 1..lottery_variant, sorted ascending.
LuckyDraw draw_lucky_and_lottery(int seed, int lottery_variant, QRandomGenerator &generator);
