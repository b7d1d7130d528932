// Scope holders of the system's locks: the lock is released however the scope ends, also when
// the code inside throws.
#pragma once

#include <windows.h>

template <typename Lock, auto Acquire, auto Release> class LockGuard {
public:
    explicit LockGuard(Lock& lock) noexcept : lock_(lock) { Acquire(&lock_); }
    ~LockGuard() { Release(&lock_); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Lock& lock_;
};

// Holds a slim reader/writer lock exclusively for its scope.
using ExclusiveLockGuard = LockGuard<SRWLOCK, &AcquireSRWLockExclusive, &ReleaseSRWLockExclusive>;
// Holds a slim reader/writer lock shared (for reading) for its scope.
using SharedLockGuard = LockGuard<SRWLOCK, &AcquireSRWLockShared, &ReleaseSRWLockShared>;
// Holds a critical section for its scope.
using CriticalSectionGuard =
    LockGuard<CRITICAL_SECTION, &EnterCriticalSection, &LeaveCriticalSection>;
