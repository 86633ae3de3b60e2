// Vantri.dll, the client's component host: it keeps registered objects, loads module
// libraries through their class-object entries and hands the objects out by interface.
#include "client/CallLog.h"
#include "client/ComponentViews.h"
#include "client/StandInFactory.h"

namespace {

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// The object the host binds to the plug-in's CCFunction: its method at position 11
// hands out the 16-byte block that CCFunction copies.
class BindSource final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = iid == IID_IUnknown ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_nRefs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_nRefs; }
    virtual HRESULT STDMETHODCALLTYPE Method3() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Method4() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Method5() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Method6() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Method7() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Method8() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Method9() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Method10() { return E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE GetBlock(const BYTE** ppBlock)
    {
        LogCall("Vantri: bound block handed out");
        *ppBlock = m_block;
        return S_OK;
    }

    LONG m_nRefs = 0;  // references the host's users hold; the host owns the object

private:
    const BYTE m_block[16] = {'Z', 'R', 'K', 'B', 'I', 'N', 'D', 0, 1, 2, 3, 4, 5, 6, 7, 8};
};

struct Registered {
    IID iid;
    IUnknown* pObject;
    HMODULE hLibrary;  // the module library it came from, or null
};

class CoreHost final : public StandInObject<ICoreHost> {
public:
    CoreHost() : StandInObject<ICoreHost>(IID_ICoreHost) { LogCall("Vantri: CoreHost created"); }
    ~CoreHost() override
    {
        ReleaseAll();
        LogCall("Vantri: CoreHost destroyed");
    }

    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG nRefs = StandInObject<ICoreHost>::Release();
        if (nRefs)
            LogCall("Vantri: Release -> %lu", nRefs);
        return nRefs;
    }
    HRESULT STDMETHODCALLTYPE GetVersion(DWORD*) override { return Unexpected(3); }
    HRESULT STDMETHODCALLTYPE GetState(DWORD*) override { return Unexpected(4); }
    HRESULT STDMETHODCALLTYPE UnregisterObject(REFIID) override { return Unexpected(7); }

    HRESULT STDMETHODCALLTYPE GetModule(REFIID iid, void** ppModule) override
    {
        const Registered* pEntry = Find(iid);
        LogCall("Vantri: GetModule %s -> %s", GuidText(iid).c_str(), pEntry ? "found" : "none");
        if (!ppModule)
            return E_POINTER;
        *ppModule = pEntry ? pEntry->pObject : nullptr;  // the caller takes no reference
        return pEntry ? S_OK : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE RegisterObject(REFIID iid, IUnknown* pObject, BOOL bKeep) override
    {
        LogCall("Vantri: RegisterObject %s %s %d", GuidText(iid).c_str(), pObject ? "object" : "null",
                bKeep);
        if (!pObject)
            return E_POINTER;
#ifdef VANTRI_FAULTS_AT_START
        volatile int* volatile pNowhere = nullptr;  // a host that faults in start-up's first call
        *pNowhere = 1;
#endif
        if (!Add({iid, pObject, nullptr}))
            return E_OUTOFMEMORY;
        pObject->AddRef();
        if (iid == IID_ICCFunction)
            UseCCFunction(pObject);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE LoadModule(REFCLSID clsid, REFIID iid, const char* pszPath,
                                         BOOL bShared) override
    {
        LogCall("Vantri: LoadModule %s %s %s %d", GuidText(clsid).c_str(), GuidText(iid).c_str(),
                pszPath ? pszPath : "(null)", bShared);
        HMODULE hLibrary = pszPath ? LoadLibraryA(pszPath) : nullptr;
        if (!hLibrary)
            return E_FAIL;
        IUnknown* pObject = CreateFromLibrary(hLibrary, clsid, iid);
        if (!pObject) {
            FreeLibrary(hLibrary);
            return E_FAIL;
        }
        if (Add({iid, pObject, hLibrary}))
            return S_OK;
        pObject->Release();
        FreeLibrary(hLibrary);
        return E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE Shutdown() override
    {
        LogCall("Vantri: Shutdown");
        ReleaseAll();
        return S_OK;
    }

private:
    HRESULT Unexpected(int nPosition)
    {
        LogCall("Vantri: unexpected call at position %d", nPosition);
        return E_NOTIMPL;
    }

    const Registered* Find(REFIID iid) const
    {
        for (int i = 0; i < m_nEntries; ++i)
            if (m_entries[i].iid == iid)
                return &m_entries[i];
        return nullptr;
    }

    bool Add(const Registered& entry)
    {
        if (m_nEntries == kMaxEntries)
            return false;
        m_entries[m_nEntries++] = entry;
        return true;
    }

    static IUnknown* CreateFromLibrary(HMODULE hLibrary, REFCLSID clsid, REFIID iid)
    {
        auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(hLibrary, "DllGetClassObject")));
        IClassFactory* pFactory = nullptr;
        if (!getClassObject || FAILED(getClassObject(clsid, IID_IClassFactory,
                                                     reinterpret_cast<void**>(&pFactory))))
            return nullptr;
        IUnknown* pObject = nullptr;
        pFactory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&pObject));
        pFactory->Release();
        return pObject;
    }

    void UseCCFunction(IUnknown* pObject)
    {
        ICCFunction* pFunction = nullptr;
        if (SUCCEEDED(pObject->QueryInterface(IID_ICCFunction, reinterpret_cast<void**>(&pFunction)))) {
            LogCall("Vantri: Notify -> %ld", static_cast<long>(pFunction->Notify()));
            pFunction->Release();
        }
        if (FAILED(pObject->QueryInterface(IID_ICCFunctionBind, reinterpret_cast<void**>(&m_pBind))))
            return;
        HRESULT hr = m_pBind->Bind(&m_source);
        LogCall("Vantri: Bind -> %ld, source references %ld", static_cast<long>(hr), m_source.m_nRefs);
    }

    void ReleaseAll()
    {
        if (m_pBind) {
            m_pBind->Bind(nullptr);
            LogCall("Vantri: unbound, source references %ld", m_source.m_nRefs);
            m_pBind->Release();
            m_pBind = nullptr;
        }
        for (int i = 0; i < m_nEntries; ++i) {
            m_entries[i].pObject->Release();
            if (m_entries[i].hLibrary)
                FreeLibrary(m_entries[i].hLibrary);
        }
        m_nEntries = 0;
    }

    static const int kMaxEntries = 16;
    Registered m_entries[kMaxEntries];
    int m_nEntries = 0;
    ICCFunctionBind* m_pBind = nullptr;
    BindSource m_source;
};

}  // namespace

#ifdef VANTRI_NO_FACTORY
// A class-object entry that fails and hands out no factory.
extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID, void** ppv)
{
    LogCall("Vantri: DllGetClassObject %s -> no factory", GuidText(clsid).c_str());
    MisbehaveInEntry();
    if (ppv)
        *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}
#else
extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return GetStandInClassObject<CoreHost>("Vantri", CLSID_CoreHost, clsid, iid, ppv);
}
#endif

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID)
{
    LogLibraryEvent("Vantri", dwReason);
    return TRUE;
}
