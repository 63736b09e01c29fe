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
    explicit DescriptorBudget(std::size_t limit)
        : m_limit(std::max<std::size_t>(limit, 2)), m_workerLimit(std::max<std::size_t>(m_limit * 3 / 4, 1))
    {
    }

    void opened() { ++m_open; }
    void closed(std::size_t count = 1) { m_open -= count; }
    std::size_t open() const { return m_open; }
    bool workersMayOpen() const { return m_open < m_workerLimit; }
    // The scan then gives up the descriptors of its outermost folders.
    bool exceeded() const { return m_open > m_limit; }
    // The descriptors kept for the scan's own folders: while the scan stays above this depth,
    // the budget leaves every folder it is in open.
    std::size_t scanReserve() const { return m_limit - m_workerLimit; }

private:
    const std::size_t m_limit;
    const std::size_t m_workerLimit;
    std::size_t m_open = 0;
};

} // namespace tallyvane
