// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tallyvane {

// Holds the entries' names back to back in large blocks, so a name costs its bytes and nothing
// else: no terminator, no per-name allocation. A stored name is addressed by a 64-bit reference
// (block, offset, length) and never moves until the arena is cleared.
class NameArena {
public:
    using Ref = std::uint64_t;

    // Names longer than this are cut; no file system produces them, and no path the system
    // accepts is this long.
    static constexpr std::size_t MaxNameLength = 0xFFFF;

    Ref store(std::string_view name);
    std::string_view view(Ref ref) const;
    void clear();

    // Bytes held in blocks, used or not.
    std::size_t capacityBytes() const;

private:
    static constexpr unsigned LengthBits = 16;
    static constexpr unsigned OffsetBits = 20;
    static constexpr std::size_t BlockSize = std::size_t{1} << OffsetBits;
    static_assert(MaxNameLength < BlockSize);

    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = 0; // bytes used in the last block
};

} // namespace tallyvane
