// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <pthread.h>

#include <mutex>

namespace tallyvane {

// A mutex that spins a moment before it sleeps: the read-ahead's critical sections are much
// shorter than putting a thread to sleep and waking it again.
class SpinningMutex {
public:
    SpinningMutex();
    ~SpinningMutex() { pthread_mutex_destroy(&m_mutex); }
    SpinningMutex(const SpinningMutex&) = delete;
    SpinningMutex& operator=(const SpinningMutex&) = delete;

    void lock() { pthread_mutex_lock(&m_mutex); }
    void unlock() { pthread_mutex_unlock(&m_mutex); }
    pthread_mutex_t* handle() { return &m_mutex; }

private:
    pthread_mutex_t m_mutex;
};

// A condition that threads wait on holding a SpinningMutex.
class SpinningCondition {
public:
    SpinningCondition() = default;
    ~SpinningCondition() { pthread_cond_destroy(&m_condition); }
    SpinningCondition(const SpinningCondition&) = delete;
    SpinningCondition& operator=(const SpinningCondition&) = delete;

    void wait(std::unique_lock<SpinningMutex>& lock) { pthread_cond_wait(&m_condition, lock.mutex()->handle()); }
    void wakeOne() { pthread_cond_signal(&m_condition); }
    void wakeAll() { pthread_cond_broadcast(&m_condition); }

private:
    pthread_cond_t m_condition = PTHREAD_COND_INITIALIZER;
};

} // namespace tallyvane
