// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>

namespace tallyvane {

// The descriptors a scan's folders hold open at once, against the most they may (at least 2).
// Workers open folders ahead only within three quarters of it, which leaves the rest for the
// folders the scan itself is in.
class DescriptorBudget {
public:
    explicit DescriptorBudget(std::size_t limit) { setLimit(limit); }

    void opened() { ++m_open; }
    void closed(std::size_t count = 1) { m_open -= count; }
    std::size_t open() const { return m_open; }
    bool workersMayOpen() const { return m_open < m_workerLimit; }
    // The scan then gives up the descriptors of its outermost folders.
    bool exceeded() const { return m_open > m_limit; }
    // The descriptors kept for the scan's own folders: while the scan stays above this depth,
    // the budget leaves every folder it is in open.
    std::size_t scanReserve() const { return m_limit - m_workerLimit; }
    // The system had none left before the budget was spent: from now on, half of what is open.
    void lowerLimit() { setLimit(std::min(m_limit, m_open / 2)); }

private:
    void setLimit(std::size_t limit)
    {
        m_limit = std::max<std::size_t>(limit, 2);
        m_workerLimit = std::max<std::size_t>(m_limit * 3 / 4, 1);
    }

    std::size_t m_limit = 0;
    std::size_t m_workerLimit = 0;
    std::size_t m_open = 0;
};

// The descriptors a scan starting now may hold: the soft RLIMIT_NOFILE less those open and a
// reserve for the rest of the program, at most `wanted` (at least 2).
std::size_t descriptorsForScan(std::size_t wanted);

} // namespace tallyvane
