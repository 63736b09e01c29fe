// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>

namespace tallyvane {

// The records listed ahead of a scan and not yet delivered, against the most the workers may
// list ahead. Once the budget is spent it stays spent until the scan has taken a quarter of it:
// woken for every block the scan takes, the workers would each read one batch and sleep again.
class RecordBudget {
public:
    explicit RecordBudget(std::size_t limit) : m_limit(std::max<std::size_t>(limit, 1)) {}

    void listed(std::size_t records) { m_unconsumed += records; }
    // The scan took records: true when that ends a spent budget, so the workers may go on.
    bool taken(std::size_t records)
    {
        const bool wasSpent = m_spent;
        m_unconsumed -= records;
        return wasSpent && !spent();
    }
    // Records given up unread, which wake nobody.
    void dropped(std::size_t records) { m_unconsumed -= records; }
    // Whether the workers hold as many records as they may.
    bool spent()
    {
        if (m_unconsumed >= m_limit)
            m_spent = true;
        else if (m_unconsumed <= m_limit - m_limit / 4)
            m_spent = false;
        return m_spent;
    }

private:
    const std::size_t m_limit;
    std::size_t m_unconsumed = 0;
    bool m_spent = false;
};

} // namespace tallyvane
