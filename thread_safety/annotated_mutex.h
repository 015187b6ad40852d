// SPDX-FileCopyrightText: 2026 The kel-board-demos authors
// SPDX-License-Identifier: MIT
// A mutex the thread-safety analysis knows (the standard library's carries
// no annotations), and the scoped lock that holds it. A wait on a
// condition variable gives the mutex up and takes it again before it
// returns, so to the analysis the lock is held throughout, as it is for
// the code around the wait.
#ifndef THREAD_SAFETY_ANNOTATED_MUTEX_H
#define THREAD_SAFETY_ANNOTATED_MUTEX_H

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "thread_annotations.h"

class CAPABILITY("mutex") Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex &) = delete;
    Mutex &operator=(const Mutex &) = delete;

    void lock() ACQUIRE() { mutex_.lock(); }
    void unlock() RELEASE() { mutex_.unlock(); }
    bool tryLock() TRY_ACQUIRE(true) { return mutex_.try_lock(); }

private:
    friend class MutexLock;
    std::mutex mutex_;
};

class SCOPED_CAPABILITY MutexLock {
public:
    explicit MutexLock(Mutex *mutex) ACQUIRE(mutex) : lock_(mutex->mutex_) {}
    ~MutexLock() RELEASE() {}
    MutexLock(const MutexLock &) = delete;
    MutexLock &operator=(const MutexLock &) = delete;

    void wait(std::condition_variable *condition) { condition->wait(lock_); }
    template <class Clock, class Duration>
    void waitUntil(std::condition_variable *condition,
                   const std::chrono::time_point<Clock, Duration> &deadline) {
        condition->wait_until(lock_, deadline);
    }

private:
    std::unique_lock<std::mutex> lock_;
};

#endif
