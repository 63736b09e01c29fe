// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Unprivileged.h"

#include <sys/wait.h>
#include <unistd.h>

namespace tallyvane::test {

int RunUnprivileged(const std::function<bool()>& check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace tallyvane::test
