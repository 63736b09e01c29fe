// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace tallyvane {

// Attribute bits of a folder record, as the original enumeration reports them. Only
// Directory decides anything; the others are carried in the record.
namespace Attribute {
inline constexpr std::uint32_t ReadOnly = 0x01;
inline constexpr std::uint32_t Hidden = 0x02;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Normal = 0x80;
inline constexpr std::uint32_t ReparsePoint = 0x400;
} // namespace Attribute

} // namespace tallyvane
