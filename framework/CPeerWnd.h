// The window object the plug-in hands to framework-built modules (the menu module): the
// client's own window in the binary form those modules expect of a window object, built
// by hand because their framework is another compiler's. The form:
// - the method table pointer first, the handle at seven pointers (0x1C on 32-bit);
// - slot 0, GetRuntimeClass (__thiscall, no arguments): the runtime-class record below,
//   whose get-base function answers null. IsKindOf compares the records it walks with
//   the class asked for and calls each get-base function, without a null check, until
//   one answers null: the walk ends at once and the answer is "not that class";
// - slot 1, the scalar deleting destructor (__thiscall, one argument, the flags, which
//   it pops): detaches the object, frees it when flags bit 0 is set, and never destroys
//   the window, which belongs to the client;
// - the remaining slots answer 0 and touch nothing.
#pragma once

#include <windows.h>

#include <cstddef>

// A runtime-class record in the form of the framework's DLL: the base class is reached
// through a function.
struct CPeerRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    void*(__stdcall* m_pfnCreateObject)();
    const CPeerRuntimeClass*(__stdcall* m_pfnGetBaseClass)();
    const CPeerRuntimeClass* m_pNextClass;
};

static_assert(sizeof(void*) != 4 || offsetof(CPeerRuntimeClass, m_pfnGetBaseClass) == 0x10,
              "32-bit runtime-class record");

class CPeerWnd {
public:
    // A new object on the plug-in's heap, attached to hWnd; the module deletes it.
    static CPeerWnd* Create(HWND hWnd);
    static const CPeerRuntimeClass classCPeerWnd;
    static const void* const methodTable[];

    // In the order of the framework's window object; the command target's fields unused.
    const void* const* m_pMethods = methodTable;
    void* m_commandTargetFields[6] = {};
    HWND m_hWnd = nullptr;
    HWND m_hWndOwner = nullptr;
    UINT m_nFlags = 0;
    WNDPROC m_pfnSuper = nullptr;
    int m_nModalResult = -1;
};

static_assert(offsetof(CPeerWnd, m_hWnd) == 7 * sizeof(void*), "window object layout");
static_assert(sizeof(void*) != 4 || offsetof(CPeerWnd, m_hWnd) == 0x1C, "32-bit window object layout");
