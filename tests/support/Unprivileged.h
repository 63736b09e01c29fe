// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace tallyvane::test {

// Runs check in a child process that has given up root's privileges (as nobody), so that
// permission bits apply; returns the child's exit status: 0 when check held, 1 when it did not,
// 2 when the privileges could not be given up.
int RunUnprivileged(const std::function<bool()>& check);

} // namespace tallyvane::test
