// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace tallyvane::test {

// What /proc tells of this process.
std::size_t OpenDescriptors();
std::size_t RunningThreads();

// The threads of this process once it has `expected` again, or after a second: a thread just
// joined may stay listed for a moment while the kernel finishes its exit.
std::size_t RunningThreadsSettlingAt(std::size_t expected);

// The threads of this process at rest, counted after one thread has been started and joined:
// a sanitizer's runtime starts a helper thread of its own along with the process's first one.
std::size_t ThreadsAtRest();

} // namespace tallyvane::test
