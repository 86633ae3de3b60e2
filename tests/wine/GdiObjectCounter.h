// Counts the GDI objects and DCs this executable creates and has not released, by
// redirecting its own imports of the GDI create and delete calls (GetGuiResources is
// a stub under Wine). The plug-in's code is linked into the test executable, so its
// calls pass through the same import table.
#pragma once

#include <cstddef>

class GdiObjectCounter {
public:
    GdiObjectCounter();  // installs the redirections once per process and starts counting
    ~GdiObjectCounter();
    GdiObjectCounter(const GdiObjectCounter&) = delete;
    GdiObjectCounter& operator=(const GdiObjectCounter&) = delete;

    // Objects created since construction and still alive (a region accepted by
    // SetWindowRgn belongs to its window and counts as released).
    size_t Live() const;
    // Whether the redirections are in place; a test without them proves nothing.
    static bool Installed();
};
