// SPDX-License-Identifier: GPL-3.0-or-later
#include "presentation/SizeText.h"

#include <limits>
#include <string_view>

namespace tallyvane {
namespace {

constexpr char ThousandsSeparator = ',';
constexpr char DecimalSeparator = '.';

// A non-negative decimal number as its digits and the count of those before the point.
struct Decimal {
    std::string digits;
    std::size_t integerDigits;
};

// Keeps the first `keep` digits, rounding half away from zero on the first digit dropped.
void roundTo(Decimal& number, std::size_t keep)
{
    if (number.digits.size() <= keep)
        return;
    const bool up = number.digits[keep] >= '5';
    number.digits.resize(keep);
    if (!up)
        return;
    for (auto it = number.digits.rbegin(); it != number.digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    number.digits.insert(number.digits.begin(), '1');
    ++number.integerDigits;
}

// The exact decimal form of magnitude / 2^shift; every such quotient has a finite one.
Decimal exactQuotient(std::uint64_t magnitude, unsigned shift)
{
    const std::uint64_t mask = (std::uint64_t{1} << shift) - 1;
    Decimal number{std::to_string(magnitude >> shift), 0};
    number.integerDigits = number.digits.size();
    for (std::uint64_t fraction = magnitude & mask; fraction != 0; fraction &= mask) {
        fraction *= 10;
        number.digits += static_cast<char>('0' + (fraction >> shift));
    }
    return number;
}

void appendGrouped(std::string& text, std::string_view integerDigits)
{
    for (std::size_t i = 0; i < integerDigits.size(); ++i) {
        if (i > 0 && (integerDigits.size() - i) % 3 == 0)
            text += ThousandsSeparator;
        text += integerDigits[i];
    }
}

std::uint64_t magnitudeOf(std::int64_t value)
{
    const auto bits = static_cast<std::uint64_t>(value);
    return value < 0 ? ~bits + 1 : bits;
}

} // namespace

std::int64_t CalcShare(std::int64_t part, std::int64_t whole)
{
    // The 64-bit mantissa holds every product that fits in 64 bits exactly; larger ones round
    // instead of wrapping around.
    const long double product = static_cast<long double>(part) * FullShare;
    const long double share = product / static_cast<long double>(whole);
    // A part far larger than its whole has a share past the 64-bit range: it stops at the end.
    constexpr long double Limit = 0x1p63L;
    if (share >= Limit)
        return std::numeric_limits<std::int64_t>::max();
    if (share < -Limit)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(share);
}

std::string SizeToText(std::int64_t size)
{
    struct Unit {
        unsigned shift;
        std::size_t decimals;
        const char* name;
    };
    if (size < 1024)
        return std::to_string(size) + "Byte";
    const Unit unit = size < (std::int64_t{1} << 20) ? Unit{10, 0, "KB"}
        : size < (std::int64_t{1} << 30)             ? Unit{20, 1, "MB"}
                                                     : Unit{30, 1, "GB"};

    // The quotient is exact in binary; it is first written with 18 significant digits, and
    // that form is then rounded to the decimals shown.
    Decimal number = exactQuotient(static_cast<std::uint64_t>(size), unit.shift);
    roundTo(number, 18);
    roundTo(number, number.integerDigits + unit.decimals);
    number.digits.resize(number.integerDigits + unit.decimals, '0');

    std::string text;
    const std::string_view digits = number.digits;
    appendGrouped(text, digits.substr(0, number.integerDigits));
    if (unit.decimals > 0) {
        text += DecimalSeparator;
        text += digits.substr(number.integerDigits);
    }
    return text + unit.name;
}

std::string ByteCountText(std::int64_t size)
{
    if (size == 0)
        return {};
    std::string text = size < 0 ? "-" : "";
    const std::uint64_t magnitude = magnitudeOf(size);
    if (magnitude < 1'000'000'000'000'000'000u) {
        appendGrouped(text, std::to_string(magnitude));
        return text;
    }

    // Too wide for the grouped pattern: general form, 15 significant digits, trailing zeros
    // dropped, exponent without sign or padding.
    Decimal number{std::to_string(magnitude), 0};
    number.integerDigits = number.digits.size();
    roundTo(number, 15);
    while (number.digits.size() > 1 && number.digits.back() == '0')
        number.digits.pop_back();
    text += number.digits.front();
    if (number.digits.size() > 1) {
        text += DecimalSeparator;
        text.append(number.digits, 1);
    }
    return text + 'E' + std::to_string(number.integerDigits - 1);
}

std::string ShareText(std::int64_t part, std::int64_t whole)
{
    if (whole == 0)
        return "- %";
    const std::int64_t share = CalcShare(part, whole);
    // Thousandths of a percent to hundredths, half away from zero.
    const std::uint64_t hundredths = (magnitudeOf(share) + 5) / 10;
    std::string text = (share < 0 && hundredths != 0) ? "-" : "";
    const std::string fraction = std::to_string(hundredths % 100);
    text += std::to_string(hundredths / 100);
    text += DecimalSeparator;
    text += fraction.size() == 1 ? "0" + fraction : fraction;
    return text + '%';
}

} // namespace tallyvane
