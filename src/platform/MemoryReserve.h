// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace tallyvane {

// Memory held back while the program's own data grows, so that the data runs out of room
// before the toolkit does: an allocation that fails inside the toolkit's code cannot be
// recovered from, one that fails in ours can. Whoever needs the room gives the reserve back
// first.
class MemoryReserve {
public:
    virtual ~MemoryReserve() = default;
    // Holds the reserve; false when the room is not there. Holding a held reserve does nothing.
    virtual bool hold() noexcept = 0;
    virtual void release() noexcept = 0;
};

// Reserves address space that is never touched: it costs no resident memory, yet counts
// against an address-space limit and, where the system refuses to overcommit, against the
// memory it promises.
class PosixMemoryReserve final : public MemoryReserve {
public:
    explicit PosixMemoryReserve(std::size_t bytes) : m_bytes(bytes) {}
    ~PosixMemoryReserve() override { release(); }
    PosixMemoryReserve(const PosixMemoryReserve&) = delete;
    PosixMemoryReserve& operator=(const PosixMemoryReserve&) = delete;

    bool hold() noexcept override;
    void release() noexcept override;

private:
    const std::size_t m_bytes;
    void* m_address = nullptr;
};

} // namespace tallyvane
