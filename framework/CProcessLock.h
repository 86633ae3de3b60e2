// A lock for the framework's process-wide tables, usable with std::lock_guard. It is
// never deleted, so objects destroyed during static destruction can still take it; and
// unlike std::mutex it brings no error-reporting machinery of the C++ runtime along.
#pragma once

#include <windows.h>

class CProcessLock {
public:
    CProcessLock() { InitializeCriticalSection(&m_section); }
    CProcessLock(const CProcessLock&) = delete;
    CProcessLock& operator=(const CProcessLock&) = delete;

    void lock() { EnterCriticalSection(&m_section); }
    void unlock() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};
