// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/SizeText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <random>

namespace tallyvane {
namespace {

constexpr std::int64_t KiB = std::int64_t{1} << 10;
constexpr std::int64_t MiB = std::int64_t{1} << 20;
constexpr std::int64_t GiB = std::int64_t{1} << 30;
constexpr std::int64_t TiB = std::int64_t{1} << 40;
constexpr std::int64_t Int64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t Int64Min = std::numeric_limits<std::int64_t>::min();

struct SizeCase {
    std::int64_t size;
    const char* text;
};

void PrintTo(const SizeCase& c, std::ostream* out)
{
    *out << c.size << " -> " << c.text;
}

class SizeToTextTest : public testing::TestWithParam<SizeCase> {};

TEST_P(SizeToTextTest, ShowsUnitAndRoundsHalfAwayFromZero)
{
    EXPECT_EQ(SizeToText(GetParam().size), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Bytes, SizeToTextTest,
                         testing::Values(SizeCase{0, "0Byte"}, SizeCase{1, "1Byte"}, SizeCase{1023, "1023Byte"},
                                         SizeCase{-1, "-1Byte"}, SizeCase{-5 * GiB, "-5368709120Byte"},
                                         SizeCase{Int64Min, "-9223372036854775808Byte"}));

INSTANTIATE_TEST_SUITE_P(Kilobytes, SizeToTextTest,
                         testing::Values(SizeCase{1024, "1KB"}, SizeCase{1535, "1KB"}, SizeCase{1536, "2KB"},
                                         SizeCase{2559, "2KB"}, SizeCase{2560, "3KB"},
                                         SizeCase{1000 * KiB - 1, "1,000KB"}, SizeCase{1048575, "1,024KB"}));

INSTANTIATE_TEST_SUITE_P(
    Megabytes, SizeToTextTest,
    testing::Values(SizeCase{1048576, "1.0MB"}, SizeCase{MiB + MiB / 4 - 1, "1.2MB"}, SizeCase{MiB + MiB / 4, "1.3MB"},
                    SizeCase{MiB + MiB / 8, "1.1MB"},
                    // 9.96875 MB and 999.96875 MB carry into the next integer digit and the next group.
                    SizeCase{10452992, "10.0MB"}, SizeCase{1048543232, "1,000.0MB"},
                    SizeCase{1073741823, "1,024.0MB"}));

INSTANTIATE_TEST_SUITE_P(
    Gigabytes, SizeToTextTest,
    testing::Values(SizeCase{1073741824, "1.0GB"}, SizeCase{GiB + GiB / 4 - 1, "1.2GB"},
                    SizeCase{GiB + GiB / 4, "1.3GB"}, SizeCase{5368709120, "5.0GB"}, SizeCase{5 * TiB, "5,120.0GB"},
                    // 99.0499999998137... GB: 18 significant digits keep the value below the half.
                    SizeCase{99 * GiB + 53687091, "99.0GB"},
                    // 100000000.0499999998137... GB: at 18 significant digits this reads 100000000.050000000,
                    // which then rounds up, where the exact value would have rounded down.
                    SizeCase{100000000 * GiB + 53687091, "100,000,000.1GB"}, SizeCase{Int64Max, "8,589,934,592.0GB"}));

TEST(CalcShareTest, TruncatesTowardZero)
{
    EXPECT_EQ(CalcShare(1, 3), 33333);
    EXPECT_EQ(CalcShare(2, 3), 66666);
    EXPECT_EQ(CalcShare(5, 5), 100000);
    EXPECT_EQ(CalcShare(0, 5), 0);
    EXPECT_EQ(CalcShare(1, 200000), 0);
    EXPECT_EQ(CalcShare(-2, 3), -66666);
    EXPECT_EQ(CalcShare(3, 2), 150000);
}

TEST(CalcShareTest, PartsAboveNinetyTwoTerabytesDoNotWrapAround)
{
    // part × 100000 passes 2^63 from about 92 TB on.
    EXPECT_EQ(CalcShare(100 * TiB, 200 * TiB), 50000);
    EXPECT_EQ(CalcShare(100 * TiB, 100 * TiB), 100000);
    EXPECT_EQ(CalcShare(std::int64_t{1} << 61, std::int64_t{1} << 62), 50000);
    // (2^61 - 1) / (2^62 - 1) is a hair under one half, and the hair must survive.
    EXPECT_EQ(CalcShare(Int64Max / 4, Int64Max / 2), 49999);
    EXPECT_EQ(CalcShare(Int64Max, Int64Max), 100000);
    EXPECT_EQ(CalcShare(Int64Max / 3, Int64Max), 33333);
}

TEST(CalcShareTest, SharesBeyondTheRangeStopAtItsEnds)
{
    EXPECT_EQ(CalcShare(Int64Max, 1), Int64Max);
    EXPECT_EQ(CalcShare(Int64Max, 99999), Int64Max);
    EXPECT_EQ(CalcShare(Int64Min, 1), Int64Min);
    EXPECT_EQ(CalcShare(Int64Max, -1), Int64Min);
}

TEST(CalcShareTest, EqualsExactDivisionForWholesBelow2To46)
{
    std::mt19937_64 random(20240611);
    std::uniform_int_distribution<std::int64_t> wholes(1, (std::int64_t{1} << 46) - 1);
    for (int i = 0; i < 100000; ++i) {
        const std::int64_t whole = wholes(random);
        const std::int64_t part = std::uniform_int_distribution<std::int64_t>(0, whole)(random);
        // Below 2^46 the product still fits in 64 bits, so integer division is exact.
        const std::int64_t exact = part * 100000 / whole;
        ASSERT_EQ(CalcShare(part, whole), exact) << part << " of " << whole;
    }
}

struct ShareCase {
    std::int64_t part;
    std::int64_t whole;
    const char* text;
};

void PrintTo(const ShareCase& c, std::ostream* out)
{
    *out << c.part << " of " << c.whole << " -> " << c.text;
}

class ShareTextTest : public testing::TestWithParam<ShareCase> {};

TEST_P(ShareTextTest, ShowsTwoDecimalsOrDashForEmptyWhole)
{
    EXPECT_EQ(ShareText(GetParam().part, GetParam().whole), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Shares, ShareTextTest,
    testing::Values(ShareCase{1, 3, "33.33%"}, ShareCase{2, 3, "66.67%"}, ShareCase{5, 5, "100.00%"},
                    ShareCase{0, 5, "0.00%"}, ShareCase{0, 0, "- %"}, ShareCase{12345, 0, "- %"},
                    ShareCase{12345, 100000, "12.35%"}, ShareCase{5, 100000, "0.01%"}, ShareCase{4, 100000, "0.00%"},
                    ShareCase{105, 100000, "0.11%"}, ShareCase{995, 100000, "1.00%"}, ShareCase{3, 2, "150.00%"},
                    ShareCase{1000, 1, "100000.00%"}, ShareCase{100 * TiB, 300 * TiB, "33.33%"},
                    // The largest size, where the scan holds a total that would overflow.
                    ShareCase{Int64Max, Int64Max, "100.00%"}, ShareCase{Int64Max / 2, Int64Max, "50.00%"},
                    ShareCase{Int64Max, 1, "9223372036854775.81%"}));

struct ByteCountCase {
    std::int64_t size;
    const char* text;
};

void PrintTo(const ByteCountCase& c, std::ostream* out)
{
    *out << c.size << " -> " << c.text;
}

class ByteCountTextTest : public testing::TestWithParam<ByteCountCase> {};

TEST_P(ByteCountTextTest, GroupsByThreeUpTo10To18)
{
    EXPECT_EQ(ByteCountText(GetParam().size), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, ByteCountTextTest,
    testing::Values(ByteCountCase{0, ""}, ByteCountCase{1, "1"}, ByteCountCase{999, "999"},
                    ByteCountCase{1000, "1,000"}, ByteCountCase{1234567, "1,234,567"},
                    ByteCountCase{-1234567, "-1,234,567"}, ByteCountCase{999999999999999999, "999,999,999,999,999,999"},
                    ByteCountCase{1000000000000000000, "1E18"}, ByteCountCase{1500000000000000000, "1.5E18"},
                    ByteCountCase{1234567890123456789, "1.23456789012346E18"},
                    ByteCountCase{Int64Max, "9.22337203685478E18"}, ByteCountCase{-1000000000000000000, "-1E18"}));

TEST(BarWidthTest, TwoPixelsPerPercentTruncated)
{
    EXPECT_EQ(BarWidth(0), 0);
    EXPECT_EQ(BarWidth(499), 0);
    EXPECT_EQ(BarWidth(500), 1);
    EXPECT_EQ(BarWidth(50000), 100);
    EXPECT_EQ(BarWidth(99999), 199);
    EXPECT_EQ(BarWidth(100000), 200);
}

} // namespace
} // namespace tallyvane
