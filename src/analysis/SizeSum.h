// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <limits>

namespace tallyvane {

// The sum of two sizes, held at the largest 64-bit size instead of wrapping around: a folder
// of two sparse files of 2^63 - 1 bytes each totals 2^63 - 1, never a negative size.
constexpr std::int64_t AddSizes(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum))
        return sum;
    return a < 0 ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
}

} // namespace tallyvane
