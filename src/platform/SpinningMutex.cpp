// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SpinningMutex.h"

namespace tallyvane {

SpinningMutex::SpinningMutex()
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ADAPTIVE_NP);
    pthread_mutex_init(&m_mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

} // namespace tallyvane
