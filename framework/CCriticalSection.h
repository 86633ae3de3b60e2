// A critical section usable with std::lock_guard. The plug-in uses it instead of
// std::mutex, whose failure path brings the C++ runtime's error categories (some 60 KB)
// into the DLL.
#pragma once

#include "framework/NeverDestroyed.h"

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void lock() { EnterCriticalSection(&m_section); }
    void unlock() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

// A lock for a process-wide table: never destroyed, so objects destroyed during static
// destruction can still take it.
using CProcessLock = CNeverDestroyed<CCriticalSection>;
