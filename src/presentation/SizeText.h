// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace tallyvane {

// A share is a part of a whole in thousandths of a percent: 100000 is 100 %.
inline constexpr std::int64_t FullShare = 100000;

// The share of part in whole, truncated toward zero. The quotient is taken in extended
// precision, as the shares have always been computed; the product is formed without
// wrapping, so parts above 92 TB still give their true share; a share beyond the 64-bit range
// is held at its end. whole must not be 0.
std::int64_t CalcShare(std::int64_t part, std::int64_t whole);

// "0Byte" .. "1023Byte", then whole kilobytes ("1,024KB"), then megabytes and gigabytes with
// one decimal ("1.0MB", "5,120.0GB").
std::string SizeToText(std::int64_t size);

// The exact number of bytes with thousands separators ("1,234,567"); empty for 0. From 10^18 on
// the general floating-point form with 15 significant digits ("1E18").
std::string ByteCountText(std::int64_t size);

// The share of part in whole with two decimals ("33.33%"), or "- %" when whole is 0.
std::string ShareText(std::int64_t part, std::int64_t whole);

// The width in pixels of a share bar: two pixels per percent, truncated.
constexpr int BarWidth(std::int64_t share)
{
    return static_cast<int>(share / 500);
}

} // namespace tallyvane
