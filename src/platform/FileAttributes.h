// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace tallyvane {

// Attribute bits of a folder record, as the original enumeration reports them. Of these only
// Directory decides anything; the others are carried in the record.
namespace Attribute {
inline constexpr std::uint32_t ReadOnly = 0x01;
inline constexpr std::uint32_t Hidden = 0x02;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Normal = 0x80;
inline constexpr std::uint32_t ReparsePoint = 0x400;

// Marks the scan puts on entries it did not count in full. The system's attributes leave the
// top bits unused and no listing sets them.
// Left out by an exclude pattern: listed empty, never entered or counted.
inline constexpr std::uint32_t Excluded = 0x10000000;
// A folder on another file system than the scanned folder: listed empty, never entered.
inline constexpr std::uint32_t OtherFileSystem = 0x20000000;
// A further link of a file whose size was counted at its first link met: listed with size 0.
inline constexpr std::uint32_t LinkCountedElsewhere = 0x40000000;
// A folder that could not be opened (no permission, no descriptor left): listed empty.
inline constexpr std::uint32_t Unreadable = 0x08000000;
// Any of the marks above.
inline constexpr std::uint32_t ScanMarks = Excluded | OtherFileSystem | LinkCountedElsewhere | Unreadable;
} // namespace Attribute

} // namespace tallyvane
