// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/NameArena.h"

#include <algorithm>
#include <cstring>

namespace tallyvane {

NameArena::Ref NameArena::store(std::string_view name)
{
    const std::size_t length = std::min(name.size(), MaxNameLength);
    if (length == 0)
        return 0;
    if (m_blocks.empty() || m_used + length > BlockSize) {
        // A name never spans two blocks; the rest of the old block is left unused.
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(BlockSize));
        m_used = 0;
    }
    std::memcpy(m_blocks.back().get() + m_used, name.data(), length);
    const Ref block = m_blocks.size() - 1;
    const Ref ref = (((block << OffsetBits) | m_used) << LengthBits) | length;
    m_used += length;
    return ref;
}

std::string_view NameArena::view(Ref ref) const
{
    const std::size_t length = ref & ((Ref{1} << LengthBits) - 1);
    if (length == 0)
        return {};
    const std::size_t offset = (ref >> LengthBits) & ((Ref{1} << OffsetBits) - 1);
    const std::size_t block = ref >> (LengthBits + OffsetBits);
    return {m_blocks[block].get() + offset, length};
}

void NameArena::clear()
{
    m_blocks.clear();
    m_used = 0;
}

std::size_t NameArena::capacityBytes() const
{
    return m_blocks.size() * BlockSize;
}

} // namespace tallyvane
