// What a module built on the shared framework's DLL expects of the framework objects it
// is handed, as classes whose layout the Microsoft compiler computes: every object's
// first two methods are GetRuntimeClass and the scalar deleting destructor, a runtime
// class reaches its base through a function, and a window object keeps its handle
// behind the command target's six fields. Only for stand-ins built in that ABI.
#pragma once

#include <windows.h>

#include <stddef.h>
#include <stdint.h>

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    void*(__stdcall* m_pfnCreateObject)();
    CRuntimeClass*(__stdcall* m_pfnGetBaseClass)();
    CRuntimeClass* m_pNextClass;
};

static_assert(sizeof(void*) != 4 || offsetof(CRuntimeClass, m_pfnGetBaseClass) == 0x10,
              "32-bit runtime-class record");

class CObject {
public:
    virtual CRuntimeClass* GetRuntimeClass() const = 0;
    virtual ~CObject() {}

    // The framework's walk: each record's get-base function, without a null check,
    // until one answers null.
    bool IsKindOf(const CRuntimeClass* pClass) const
    {
        for (const CRuntimeClass* pThis = GetRuntimeClass(); pThis; pThis = pThis->m_pfnGetBaseClass())
            if (pThis == pClass)
                return true;
        return false;
    }
};

class CCmdTarget : public CObject {
public:
    long m_dwRef;
    void* m_pOuterUnknown;
    void* m_xInnerUnknown;
    void* m_xDispatch;
    BOOL m_bResultExpected;
    void* m_xConnPtContainer;
};

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd;
    HWND m_hWndOwner;
    UINT m_nFlags;
    WNDPROC m_pfnSuper;
    int m_nModalResult;
};

#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(CWnd, m_hWnd) == 7 * sizeof(void*), "window object layout");
static_assert(sizeof(void*) != 4 || offsetof(CWnd, m_hWnd) == 0x1C, "32-bit window object layout");
#pragma clang diagnostic pop
