// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/resource.h>

namespace tallyvane::test {

// While it lives, no file of this process can grow past the given size: a write beyond it
// fails as on a full disk, even for root, whom permission bits do not stop. SIGXFSZ is ignored
// meanwhile, as its default action would end the test program. The destructor puts back the
// limit and the handler found, so keep the object's scope to the writes meant to fail.
// Throws std::runtime_error when the limit cannot be set.
class SmallDisk {
public:
    explicit SmallDisk(rlim_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
};

} // namespace tallyvane::test
