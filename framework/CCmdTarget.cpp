#include "framework/CCmdTarget.h"

namespace {

AFX_MODULE_STATE g_moduleState{nullptr};

// The calling thread's module state in a TLS slot of our own: the compiler's thread_local
// storage aborts the process when its slot or memory cannot be had. Without a slot every
// thread sees the library's own state.
class CurrentStateSlot {
public:
    CurrentStateSlot() : m_index(TlsAlloc()) {}
    ~CurrentStateSlot()
    {
        if (m_index != TLS_OUT_OF_INDEXES)
            TlsFree(m_index);
    }
    CurrentStateSlot(const CurrentStateSlot&) = delete;
    CurrentStateSlot& operator=(const CurrentStateSlot&) = delete;

    AFX_MODULE_STATE* Get() const
    {
        if (m_index == TLS_OUT_OF_INDEXES)
            return nullptr;
        const DWORD error = GetLastError();  // TlsGetValue clears it
        auto* pState = static_cast<AFX_MODULE_STATE*>(TlsGetValue(m_index));
        SetLastError(error);
        return pState;
    }
    void Set(AFX_MODULE_STATE* pState) const
    {
        if (m_index != TLS_OUT_OF_INDEXES)
            TlsSetValue(m_index, pState);
    }

private:
    DWORD m_index;
};

CurrentStateSlot g_currentState;

}  // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    if (!g_moduleState.m_hCurrentInstanceHandle) {
        HMODULE self = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&g_moduleState), &self);
        g_moduleState.m_hCurrentInstanceHandle = self;
    }
    return &g_moduleState;
}

AFX_MODULE_STATE* AfxGetModuleState()
{
    AFX_MODULE_STATE* pState = g_currentState.Get();
    return pState ? pState : AfxGetStaticModuleState();
}

AFX_MAINTAIN_STATE::AFX_MAINTAIN_STATE(AFX_MODULE_STATE* pNewState) : m_pPrevState(g_currentState.Get())
{
    g_currentState.Set(pNewState);
}

AFX_MAINTAIN_STATE::~AFX_MAINTAIN_STATE() { g_currentState.Set(m_pPrevState); }

CCmdTarget* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
        if (p == pBaseClass)
            return TRUE;
    return FALSE;
}

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", sizeof(CCmdTarget), 0xFFFF,
                                                   nullptr, nullptr};

const AFX_INTERFACEMAP CCmdTarget::interfaceMap = {nullptr, nullptr};

CCmdTarget::CCmdTarget() = default;

CCmdTarget::~CCmdTarget() = default;

const CRuntimeClass* CCmdTarget::GetRuntimeClass() const { return &classCCmdTarget; }

const AFX_INTERFACEMAP* CCmdTarget::GetInterfaceMap() const { return &interfaceMap; }

// IUnknown is the first interface of the most derived map that has one.
LPUNKNOWN CCmdTarget::GetInterface(const void* iid)
{
    const IID& wanted = *static_cast<const IID*>(iid);
    bool anyFirst = IsEqualIID(wanted, IID_IUnknown);
    for (const AFX_INTERFACEMAP* map = GetInterfaceMap(); map; map = map->pBaseMap) {
        for (const AFX_INTERFACEMAP_ENTRY* entry = map->pEntries; entry && entry->piid; ++entry)
            if (anyFirst || IsEqualIID(wanted, *entry->piid))
                return entry->pfnGetPart(this);
    }
    return nullptr;
}

DWORD CCmdTarget::InternalAddRef() { return static_cast<DWORD>(InterlockedIncrement(&m_dwRef)); }

DWORD CCmdTarget::InternalRelease()
{
    LONG left = InterlockedDecrement(&m_dwRef);
    if (left == 0)
        OnFinalRelease();
    return static_cast<DWORD>(left);
}

DWORD CCmdTarget::ExternalAddRef() { return InternalAddRef(); }

DWORD CCmdTarget::ExternalRelease() { return InternalRelease(); }

HRESULT CCmdTarget::ExternalQueryInterface(const void* iid, LPVOID* ppvObj)
{
    if (!ppvObj)
        return E_POINTER;
    LPUNKNOWN unknown = GetInterface(iid);
    *ppvObj = unknown;
    if (!unknown)
        return E_NOINTERFACE;
    ExternalAddRef();
    return S_OK;
}

void CCmdTarget::OnFinalRelease() { delete this; }
