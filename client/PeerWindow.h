// Where a framework-built module finds the handle in a window object it is given: behind
// the method table pointer and the command target's six fields, one pointer each.
#pragma once

#include <windows.h>

#include <stddef.h>
#include <string.h>

const size_t kPeerWindowHandleOffset = 7 * sizeof(void*);
static_assert(sizeof(void*) != 4 || kPeerWindowHandleOffset == 0x1C, "32-bit window object");

// The handle a peer reads from a window object; none for a null object.
inline HWND PeerWindowHandle(const void* pWnd)
{
    if (!pWnd)
        return nullptr;
    HWND hWnd;
    memcpy(&hWnd, static_cast<const char*>(pWnd) + kPeerWindowHandleOffset, sizeof hWnd);
    return hWnd;
}
