// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/resource.h>

#include <cstddef>

namespace tallyvane::test {

// Bounds the main thread's stack to `bytes` while alive, whatever limit the test runner was
// started with: the kernel checks the limit each time the stack grows, so a recursion deeper
// than the bound fails here as it would on a desktop with the usual 8 MiB. Widgets live in the
// main thread only, so a thread of that stack size cannot stand in.
class StackLimit {
public:
    explicit StackLimit(rlim_t bytes)
    {
        m_saved = getrlimit(RLIMIT_STACK, &m_before) == 0;
        if (m_saved && (m_before.rlim_cur == RLIM_INFINITY || m_before.rlim_cur > bytes)) {
            rlimit bounded = m_before;
            bounded.rlim_cur = bytes;
            setrlimit(RLIMIT_STACK, &bounded);
        }
    }
    ~StackLimit()
    {
        if (m_saved)
            setrlimit(RLIMIT_STACK, &m_before);
    }
    StackLimit(const StackLimit&) = delete;
    StackLimit& operator=(const StackLimit&) = delete;

    static constexpr rlim_t Desktop = rlim_t{8} << 20;

private:
    rlimit m_before{};
    bool m_saved = false;
};

} // namespace tallyvane::test
