#include "framework/COleObjectFactory.h"

BEGIN_INTERFACE_MAP(COleObjectFactory, CCmdTarget)
    INTERFACE_PART(COleObjectFactory, IID_IClassFactory, ClassFactory)
    INTERFACE_PART(COleObjectFactory, IID_IClassFactory2, ClassFactory)
END_INTERFACE_MAP()

COleObjectFactory::COleObjectFactory(REFCLSID clsid, const CRuntimeClass* pRuntimeClass,
                                     BOOL bMultiInstance, LPCSTR lpszProgID)
    : m_clsid(clsid), m_pRuntimeClass(pRuntimeClass), m_bMultiInstance(bMultiInstance),
      m_lpszProgID(lpszProgID)
{
    m_xClassFactory.m_pThis = this;
}

COleObjectFactory::~COleObjectFactory() = default;

void COleObjectFactory::OnFinalRelease() {}

HRESULT COleObjectFactory::CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, LPVOID* ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter)
        return CLASS_E_NOAGGREGATION;
    CCmdTarget* object = m_pRuntimeClass->CreateObject();
    if (!object)
        return E_OUTOFMEMORY;
    // The new object holds one reference of its own; the caller's comes from the query.
    HRESULT hr = object->ExternalQueryInterface(&riid, ppvObject);
    object->InternalRelease();
    return hr;
}

IMPLEMENT_IUNKNOWN_PART(COleObjectFactory, ClassFactory)

// Called over COM: no exception may leave these methods.
STDMETHODIMP COleObjectFactory::XClassFactory::CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid,
                                                              LPVOID* ppvObject)
{
    METHOD_PROLOGUE(COleObjectFactory, ClassFactory);
    try {
        return pThis->CreateInstance(pUnkOuter, riid, ppvObject);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP COleObjectFactory::XClassFactory::LockServer(BOOL fLock)
{
    METHOD_PROLOGUE(COleObjectFactory, ClassFactory);
    if (fLock)
        pThis->ExternalAddRef();
    else
        pThis->ExternalRelease();
    return S_OK;
}

// No licence is needed: every object may be created.
STDMETHODIMP COleObjectFactory::XClassFactory::GetLicInfo(LPLICINFO pLicInfo)
{
    METHOD_PROLOGUE(COleObjectFactory, ClassFactory);
    if (!pLicInfo)
        return E_POINTER;
    pLicInfo->cbLicInfo = sizeof(LICINFO);
    pLicInfo->fRuntimeKeyAvail = FALSE;
    pLicInfo->fLicVerified = TRUE;
    return S_OK;
}

STDMETHODIMP COleObjectFactory::XClassFactory::RequestLicKey(DWORD, BSTR* pbstrKey)
{
    METHOD_PROLOGUE(COleObjectFactory, ClassFactory);
    if (pbstrKey)
        *pbstrKey = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleObjectFactory::XClassFactory::CreateInstanceLic(LPUNKNOWN pUnkOuter,
                                                                 LPUNKNOWN pUnkReserved,
                                                                 REFIID riid, BSTR,
                                                                 LPVOID* ppvObject)
{
    if (pUnkReserved) {
        if (ppvObject)
            *ppvObject = nullptr;
        return E_INVALIDARG;
    }
    return CreateInstance(pUnkOuter, riid, ppvObject);
}
