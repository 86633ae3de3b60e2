// A class factory for one run-time class, offered as IClassFactory and IClassFactory2
// through its interface map. It lives as a static object and is never registered with
// the system: only code that holds it can create objects through it.
#pragma once

#include "framework/CCmdTarget.h"

#include <ocidl.h>

class COleObjectFactory : public CCmdTarget {
public:
    COleObjectFactory(REFCLSID clsid, const CRuntimeClass* pRuntimeClass, BOOL bMultiInstance,
                      LPCSTR lpszProgID);
    ~COleObjectFactory() override;

    REFCLSID GetClassID() const { return m_clsid; }
    LPCSTR GetProgID() const { return m_lpszProgID; }
    BOOL IsMultiInstance() const { return m_bMultiInstance; }

    // A static factory outlives every reference handed out.
    void OnFinalRelease() override;

protected:
    // Creates one object of the run-time class and asks it for riid.
    HRESULT CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, LPVOID* ppvObject);

    BEGIN_INTERFACE_PART(ClassFactory, IClassFactory2)
        STDMETHOD(CreateInstance)(LPUNKNOWN pUnkOuter, REFIID riid, LPVOID* ppvObject) override;
        STDMETHOD(LockServer)(BOOL fLock) override;
        STDMETHOD(GetLicInfo)(LPLICINFO pLicInfo) override;
        STDMETHOD(RequestLicKey)(DWORD dwReserved, BSTR* pbstrKey) override;
        STDMETHOD(CreateInstanceLic)(LPUNKNOWN pUnkOuter, LPUNKNOWN pUnkReserved, REFIID riid,
                                     BSTR bstrKey, LPVOID* ppvObject) override;
    END_INTERFACE_PART(ClassFactory, COleObjectFactory)

    DECLARE_INTERFACE_MAP()

private:
    CLSID m_clsid;
    const CRuntimeClass* m_pRuntimeClass;
    BOOL m_bMultiInstance;
    LPCSTR m_lpszProgID;
};
