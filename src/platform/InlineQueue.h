// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>
#include <vector>

namespace tallyvane {

// A first-in first-out queue that frees nothing until it runs empty and keeps its first
// `Inline` items in place: most folders of a read-ahead hold one block and a child or two, and
// whatever a worker allocates for a folder the scan frees, on another thread, at a cost.
template <typename T, std::size_t Inline>
class InlineQueue {
public:
    bool empty() const { return m_head == m_size; }
    void push(T item)
    {
        if (m_size < Inline)
            m_inline[m_size] = std::move(item);
        else
            m_overflow.push_back(std::move(item));
        ++m_size;
    }
    // Room for `extra` more pushes, which then cannot fail.
    void reserve(std::size_t extra)
    {
        const std::size_t beyond = m_size + extra > Inline ? m_size + extra - Inline : 0;
        if (beyond > m_overflow.capacity())
            m_overflow.reserve(std::max(beyond, 2 * m_overflow.capacity()));
    }
    T pop()
    {
        T item = std::move(at(m_head++));
        if (empty()) {
            m_overflow.clear();
            m_head = m_size = 0;
        }
        return item;
    }
    // The items not popped yet, in order.
    template <typename Visit>
    void forEach(Visit visit)
    {
        for (std::size_t i = m_head; i < m_size; ++i)
            visit(at(i));
    }

private:
    T& at(std::size_t i) { return i < Inline ? m_inline[i] : m_overflow[i - Inline]; }

    std::array<T, Inline> m_inline{};
    std::vector<T> m_overflow;
    std::size_t m_head = 0;
    std::size_t m_size = 0;
};

} // namespace tallyvane
