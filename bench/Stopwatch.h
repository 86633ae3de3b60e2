// The benchmarks' clock: the performance counter, running from construction.
#pragma once

#include <windows.h>

class Stopwatch {
public:
    Stopwatch()
    {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_start);
    }

    double Seconds() const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(m_frequency.QuadPart);
    }

    DWORD Microseconds() const { return static_cast<DWORD>(Seconds() * 1e6); }

private:
    LARGE_INTEGER m_frequency;
    LARGE_INTEGER m_start;
};
