// Scope holders of the system's locks: the lock is released however the scope ends, also when
// the code inside throws.
#pragma once

#include <windows.h>

// Holds a slim reader/writer lock exclusively for its scope.
class ExclusiveLockGuard {
public:
    explicit ExclusiveLockGuard(SRWLOCK& lock) noexcept : lock_(lock) {
        AcquireSRWLockExclusive(&lock_);
    }
    ~ExclusiveLockGuard() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLockGuard(const ExclusiveLockGuard&) = delete;
    ExclusiveLockGuard& operator=(const ExclusiveLockGuard&) = delete;

private:
    SRWLOCK& lock_;
};

// Holds a slim reader/writer lock shared (for reading) for its scope.
class SharedLockGuard {
public:
    explicit SharedLockGuard(SRWLOCK& lock) noexcept : lock_(lock) { AcquireSRWLockShared(&lock_); }
    ~SharedLockGuard() { ReleaseSRWLockShared(&lock_); }
    SharedLockGuard(const SharedLockGuard&) = delete;
    SharedLockGuard& operator=(const SharedLockGuard&) = delete;

private:
    SRWLOCK& lock_;
};

// Holds a critical section for its scope.
class CriticalSectionGuard {
public:
    explicit CriticalSectionGuard(CRITICAL_SECTION& section) noexcept : section_(section) {
        EnterCriticalSection(&section_);
    }
    ~CriticalSectionGuard() { LeaveCriticalSection(&section_); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

private:
    CRITICAL_SECTION& section_;
};
