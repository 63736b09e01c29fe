// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileAttributes.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tallyvane {

// The fixed 320-byte record every entry carries: the platform's file-enumeration record
// (318 bytes, little-endian, no padding) followed by two alignment bytes. Only the attribute
// word, the two size words and the name are ever read; a new record is all zero bytes.
// The signed 64-bit size held in a record's two size words.
constexpr std::int64_t EntrySize(std::uint32_t high, std::uint32_t low)
{
    return static_cast<std::int64_t>((std::uint64_t{high} << 32) | low);
}

#pragma pack(push, 1)
struct TEntryRecord {
    std::uint32_t attributes;
    std::uint64_t creationTime;
    std::uint64_t lastAccessTime;
    std::uint64_t lastWriteTime;
    std::uint32_t sizeHigh;
    std::uint32_t sizeLow;
    std::uint32_t reserved0;
    std::uint32_t reserved1;
    char name[260];
    char alternateName[14];
    std::uint8_t alignment[2];
};
#pragma pack(pop)

static_assert(sizeof(TEntryRecord) == 320);
static_assert(offsetof(TEntryRecord, attributes) == 0);
static_assert(offsetof(TEntryRecord, creationTime) == 4);
static_assert(offsetof(TEntryRecord, lastAccessTime) == 12);
static_assert(offsetof(TEntryRecord, lastWriteTime) == 20);
static_assert(offsetof(TEntryRecord, sizeHigh) == 28);
static_assert(offsetof(TEntryRecord, sizeLow) == 32);
static_assert(offsetof(TEntryRecord, reserved0) == 36);
static_assert(offsetof(TEntryRecord, reserved1) == 40);
static_assert(offsetof(TEntryRecord, name) == 44);
static_assert(offsetof(TEntryRecord, alternateName) == 304);
static_assert(offsetof(TEntryRecord, alignment) == 318);

// The record's name field holds at most this many bytes before its terminating zero.
inline constexpr std::size_t RecordNameCapacity = sizeof(TEntryRecord::name) - 1;

// A record holding the given fields and zero everywhere else. The name is cut to the field's
// capacity; it is stored byte for byte, never re-encoded.
TEntryRecord MakeEntryRecord(std::uint32_t attributes, std::int64_t size, std::string_view name);

// The name bytes of a record: up to the first zero, at most the whole field.
std::string_view RecordName(const TEntryRecord& record);

} // namespace tallyvane
