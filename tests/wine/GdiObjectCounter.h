// Counts the GDI objects and DCs this executable creates and has not released, by
// redirecting its own imports of the GDI create and delete calls (GetGuiResources is
// a stub under Wine). The plug-in's code is linked into the test executable, so its
// calls pass through the same import table.
#pragma once

#include <windows.h>

#include <cstddef>

class GdiObjectCounter {
public:
    // Installs the redirections in module (null: this executable) once per process and
    // starts counting.
    explicit GdiObjectCounter(HMODULE module = nullptr);
    ~GdiObjectCounter();
    GdiObjectCounter(const GdiObjectCounter&) = delete;
    GdiObjectCounter& operator=(const GdiObjectCounter&) = delete;

    // Objects created since construction and still alive (a region accepted by
    // SetWindowRgn belongs to its window and counts as released).
    size_t Live() const;
    // Whether the redirections are in place; a test without them proves nothing.
    static bool Installed();
};
