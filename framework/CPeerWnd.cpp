#include "framework/CPeerWnd.h"

#include <new>

struct CPeerWndMethods {
    static const CPeerRuntimeClass* __thiscall GetRuntimeClass(CPeerWnd*)
    {
        return &CPeerWnd::classCPeerWnd;
    }

    static void* __thiscall ScalarDeletingDestructor(CPeerWnd* self, unsigned int flags)
    {
        self->m_hWnd = nullptr;
        if (flags & 1)
            delete self;
        return self;
    }

    static int __thiscall Nothing(CPeerWnd*) { return 0; }

    static const CPeerRuntimeClass* __stdcall NoBaseClass() { return nullptr; }
};

const CPeerRuntimeClass CPeerWnd::classCPeerWnd = {
    "CWnd", sizeof(CPeerWnd), 0xFFFF, nullptr, CPeerWndMethods::NoBaseClass, nullptr};

// The framework's window object has some ninety methods; modules that call any but the
// first two find one that does nothing.
#define PEER_NOTHING_4                                                                  \
    reinterpret_cast<const void*>(CPeerWndMethods::Nothing),                             \
        reinterpret_cast<const void*>(CPeerWndMethods::Nothing),                         \
        reinterpret_cast<const void*>(CPeerWndMethods::Nothing),                         \
        reinterpret_cast<const void*>(CPeerWndMethods::Nothing)
#define PEER_NOTHING_16 PEER_NOTHING_4, PEER_NOTHING_4, PEER_NOTHING_4, PEER_NOTHING_4

const void* const CPeerWnd::methodTable[] = {
    reinterpret_cast<const void*>(CPeerWndMethods::GetRuntimeClass),
    reinterpret_cast<const void*>(CPeerWndMethods::ScalarDeletingDestructor),
    PEER_NOTHING_16, PEER_NOTHING_16, PEER_NOTHING_16, PEER_NOTHING_16, PEER_NOTHING_16,
    PEER_NOTHING_16,
};

CPeerWnd* CPeerWnd::Create(HWND hWnd)
{
    auto* pWnd = new (std::nothrow) CPeerWnd;
    if (pWnd)
        pWnd->m_hWnd = hWnd;
    return pWnd;
}
