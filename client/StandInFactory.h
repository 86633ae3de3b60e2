// The COM plumbing of the stand-in components: reference-counted objects with one
// interface, and the class factory each library hands out from its class-object entry.
#pragma once

#include "client/CallLog.h"

#include <windows.h>
#include <unknwn.h>

#include <stdio.h>

// The IUnknown part of a stand-in object with one interface I besides IUnknown.
template <class I>
class StandInObject : public I {
public:
    explicit StandInObject(REFIID iid) : m_iid(iid) {}
    virtual ~StandInObject() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (iid != IID_IUnknown && iid != m_iid)
            return E_NOINTERFACE;
        *ppv = static_cast<I*>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_nRefs); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG nRefs = InterlockedDecrement(&m_nRefs);
        if (nRefs == 0)
            delete this;
        return nRefs;
    }

private:
    IID m_iid;
    LONG m_nRefs = 1;
};

template <class T>
class StandInFactory final : public StandInObject<IClassFactory> {
public:
    explicit StandInFactory(const char* pszOwner)
        : StandInObject<IClassFactory>(IID_IClassFactory), m_pszOwner(pszOwner) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pOuter, REFIID iid, void** ppv) override
    {
        LogCall("%s: CreateInstance %s", m_pszOwner, GuidText(iid).c_str());
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (pOuter)
            return CLASS_E_NOAGGREGATION;
        T* pObject = new T;
        if (!pObject)
            return E_OUTOFMEMORY;
        HRESULT hr = pObject->QueryInterface(iid, ppv);
        pObject->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    const char* m_pszOwner;
};

// Hostile variants, by what their class-object entry does before it answers:
// STANDIN_ENTRY_FAULTS writes through a null pointer; STANDIN_ENTRY_HANGS never returns;
// STANDIN_ENTRY_EXITS ends the process with exit code 0; STANDIN_ENTRY_STARTS_HELPER
// starts a helper that inherits every handle and never ends (a suspended copy of the
// host program); STANDIN_ENTRY_CHATTY writes 70 KB to standard output;
// STANDIN_ENTRY_REDIRECTS points standard output at NUL; STANDIN_ENTRY_FORGES prints a
// failure line in the doctor's report form.
inline void MisbehaveInEntry()
{
#if defined(STANDIN_ENTRY_FAULTS)
    volatile int* volatile pNowhere = nullptr;
    *pNowhere = 1;
#elif defined(STANDIN_ENTRY_HANGS)
    for (;;)
        Sleep(INFINITE);
#elif defined(STANDIN_ENTRY_EXITS)
    ExitProcess(0);
#elif defined(STANDIN_ENTRY_STARTS_HELPER)
    char host[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, host, MAX_PATH);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION helper = {};
    if (CreateProcessA(host, nullptr, nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &helper)) {
        CloseHandle(helper.hThread);
        CloseHandle(helper.hProcess);
    }
#elif defined(STANDIN_ENTRY_CHATTY)
    static const char line[] = "stand-in chatter: 70 KB to standard output, 64 bytes per line..................\n";
    for (int i = 0; i < 70 * 1024 / 64; ++i)
        fwrite(line, 1, 64, stdout);
    fflush(stdout);
#elif defined(STANDIN_ENTRY_REDIRECTS)
    freopen("NUL", "w", stdout);
    SetStdHandle(STD_OUTPUT_HANDLE, CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
#elif defined(STANDIN_ENTRY_FORGES)
    printf("F\tcomponent\tforged by the checked code\n");
    fflush(stdout);
#endif
}

// The body of a stand-in's DllGetClassObject: a new factory for T when clsid is its class.
template <class T>
HRESULT GetStandInClassObject(const char* pszOwner, REFCLSID own, REFCLSID clsid, REFIID iid, void** ppv)
{
    LogCall("%s: DllGetClassObject %s %s", pszOwner, GuidText(clsid).c_str(), GuidText(iid).c_str());
    MisbehaveInEntry();
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (clsid != own)
        return CLASS_E_CLASSNOTAVAILABLE;
    auto* pFactory = new StandInFactory<T>(pszOwner);
    if (!pFactory)
        return E_OUTOFMEMORY;
    HRESULT hr = pFactory->QueryInterface(iid, ppv);
    pFactory->Release();
    return hr;
}
