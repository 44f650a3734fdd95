#include "lottery.h"

#include <cmath>
#include <utility>

double next_random(QRandomGenerator &generator)
{
    // generateDouble keeps the top 53 bits of a 64-bit draw and divides by
    // 2^53, so it never reaches 1.0.
    return generator.generateDouble();
}

int lottery_seed(int birth_year, int birth_month, int current_year)
{
    return birth_year + birth_month + current_year;
}

LuckyDraw draw_lucky_and_lottery(int seed, int lottery_variant, QRandomGenerator &generator)
{
    generator.seed(static_cast<quint32>(seed));

    LuckyDraw draw;
    draw.lottery_variant = lottery_variant;
    draw.lucky_number = static_cast<int>(std::floor(next_random(generator) * 100 + 1));

    std::array<int, 6> &numbers = draw.lottery_numbers;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        bool repeated = true;
        while (repeated) {
            numbers[i] = static_cast<int>(std::floor(next_random(generator) * lottery_variant + 1));
            repeated = false;
            for (std::size_t j = 0; j < i && !repeated; ++j)
                repeated = numbers[j] == numbers[i];
        }
    }

    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (std::size_t i = 1; i < numbers.size(); ++i) {
            if (numbers[i] < numbers[i - 1]) {
                std::swap(numbers[i - 1], numbers[i]);
                swapped = true;
            }
        }
    }
    return draw;
}
