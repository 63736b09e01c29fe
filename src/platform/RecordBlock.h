// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tallyvane {

// The head of one record in a RecordBlock.
struct RecordHead {
    std::int64_t size;
    std::uint64_t device;
    std::uint64_t inode;
    std::uint32_t links;
    std::uint32_t attributes;
    std::uint16_t nameLength;
    bool folder; // a folder other than "." and "..": a ReadAheadFolder stands for it among the children
};

// The bytes a record with a name of nameLength takes in a block.
constexpr std::size_t footprint(std::size_t nameLength)
{
    return (sizeof(RecordHead) + nameLength + 1 + alignof(RecordHead) - 1) & ~(alignof(RecordHead) - 1);
}

// The records of one listing batch, statted and packed: each a head, then the name and its
// terminating zero, padded to the head's alignment.
struct RecordBlock {
    std::unique_ptr<char[]> bytes;
    std::size_t used = 0;
    std::size_t count = 0;
};

} // namespace tallyvane
