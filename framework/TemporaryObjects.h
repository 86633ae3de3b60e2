// Temporary window and DC objects: FromHandle makes one for a handle that no framework
// object owns and keeps it for the calling thread until that thread's message loop goes
// idle. A pointer FromHandle returned is good until then, and must not be kept longer.
#pragma once

#include <cstddef>

// Delete the calling thread's temporary objects (in CWnd.cpp and CDC.cpp).
void AfxDeleteTempWindows();
void AfxDeleteTempDCs();
// How many the calling thread holds.
size_t AfxTempWindowCount();
size_t AfxTempDCCount();

// What the message loop does when its queue is empty.
inline void AfxPurgeTemporaries()
{
    AfxDeleteTempWindows();
    AfxDeleteTempDCs();
}
