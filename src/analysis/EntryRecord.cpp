// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/EntryRecord.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tallyvane {

// The record is defined as little-endian; on such hosts it is filled field by field.
static_assert(std::endian::native == std::endian::little);

TEntryRecord MakeEntryRecord(std::uint32_t attributes, std::int64_t size, std::string_view name)
{
    TEntryRecord record{};
    record.attributes = attributes;
    const auto bits = static_cast<std::uint64_t>(size);
    record.sizeHigh = static_cast<std::uint32_t>(bits >> 32);
    record.sizeLow = static_cast<std::uint32_t>(bits);
    // copy_n rather than memcpy: an empty name may come without any storage (a null data()).
    std::copy_n(name.data(), std::min(name.size(), RecordNameCapacity), record.name);
    return record;
}

std::string_view RecordName(const TEntryRecord& record)
{
    const auto* end = static_cast<const char*>(std::memchr(record.name, 0, sizeof record.name));
    return {record.name, end ? static_cast<std::size_t>(end - record.name) : sizeof record.name};
}

} // namespace tallyvane
