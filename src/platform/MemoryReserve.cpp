// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MemoryReserve.h"

#include <sys/mman.h>

namespace tallyvane {

bool PosixMemoryReserve::hold() noexcept
{
    if (m_address)
        return true;
    void* address = ::mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED)
        return false;
    m_address = address;
    return true;
}

void PosixMemoryReserve::release() noexcept
{
    if (m_address)
        ::munmap(m_address, m_bytes);
    m_address = nullptr;
}

} // namespace tallyvane
