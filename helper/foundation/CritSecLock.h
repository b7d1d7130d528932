// A critical section and its scoped holder.
#pragma once

#include <windows.h>

class CCritSecLock {
public:
    CCritSecLock() { InitializeCriticalSectionAndSpinCount(&section_, 1000); }
    ~CCritSecLock() { DeleteCriticalSection(&section_); }
    CCritSecLock(const CCritSecLock&) = delete;
    CCritSecLock& operator=(const CCritSecLock&) = delete;

    CRITICAL_SECTION& Section() { return section_; }

private:
    CRITICAL_SECTION section_;
};

// Holds the lock for its scope: one try first, then a 1 ms pause before blocking.
class CCritSecGuard {
public:
    explicit CCritSecGuard(CCritSecLock& lock) : lock_(lock) {
        if (!TryEnterCriticalSection(&lock_.Section())) {
            Sleep(1);
            EnterCriticalSection(&lock_.Section());
        }
    }
    ~CCritSecGuard() { LeaveCriticalSection(&lock_.Section()); }
    CCritSecGuard(const CCritSecGuard&) = delete;
    CCritSecGuard& operator=(const CCritSecGuard&) = delete;

private:
    CCritSecLock& lock_;
};
