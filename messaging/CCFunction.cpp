#include "messaging/CCFunction.h"

#include <cstring>

const IID IID_ICCFunction = {0xCF0A0941, 0x690B, 0x4B0D,
                             {0xBC, 0x8F, 0xE4, 0xDC, 0xA9, 0x1D, 0x02, 0xE5}};
const IID IID_ICCFunctionBind = {0x4091B50F, 0xE2DD, 0x4F60,
                                 {0x87, 0x05, 0x2A, 0x11, 0x11, 0xD3, 0xB6, 0x66}};
const CLSID CLSID_CCFunction = {0x216F1758, 0x6F11, 0x4BA8,
                                {0xB2, 0x43, 0x95, 0xCE, 0xFE, 0x92, 0x75, 0xCC}};

IMPLEMENT_DYNCREATE(CCFunction, CCmdTarget, 0xFFFF)

BEGIN_INTERFACE_MAP(CCFunction, CCmdTarget)
    INTERFACE_PART(CCFunction, IID_ICCFunction, CCFunction)
    INTERFACE_PART(CCFunction, IID_ICCFunctionBind, CCFunctionBind)
END_INTERFACE_MAP()

// Constructed with the library's static objects, destroyed once at unload.
static COleObjectFactory g_factory(CLSID_CCFunction, RUNTIME_CLASS(CCFunction), FALSE,
                                   "CCFunction");

COleObjectFactory& TheCCFunctionFactory() { return g_factory; }

CCFunction::CCFunction()
{
    m_xCCFunction.m_pThis = this;
    m_xCCFunctionBind.m_pThis = this;
}

CCFunction::~CCFunction()
{
    if (m_pBoundObject)
        m_pBoundObject->Release();
}

HRESULT CCFunction::Notify() { return S_OK; }

// The bound object's method at table position 11 stores the address of its block.
using GetBlockMethod = HRESULT(STDMETHODCALLTYPE*)(IUnknown* self, void** ppBlock);

HRESULT CCFunction::Bind(IUnknown* pObject)
{
    if (pObject != m_pBoundObject) {
        if (m_pBoundObject)
            m_pBoundObject->Release();
        m_pBoundObject = pObject;
        if (m_pBoundObject)
            m_pBoundObject->AddRef();
    }
    if (!m_pBoundObject)
        return S_OK;
    void** table = *reinterpret_cast<void***>(m_pBoundObject);
    auto getBlock = reinterpret_cast<GetBlockMethod>(table[11]);
    void* block = nullptr;
    getBlock(m_pBoundObject, &block);
    if (block)
        std::memcpy(m_boundBlock, block, sizeof m_boundBlock);
    return S_OK;
}

IMPLEMENT_IUNKNOWN_PART(CCFunction, CCFunction)
IMPLEMENT_IUNKNOWN_PART(CCFunction, CCFunctionBind)

// Called by the component host over COM: nothing may unwind out of either.
STDMETHODIMP CCFunction::XCCFunction::Notify()
{
    METHOD_PROLOGUE(CCFunction, CCFunction);
    try {
        return pThis->Notify();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDMETHODIMP CCFunction::XCCFunctionBind::Bind(IUnknown* pObject)
{
    METHOD_PROLOGUE(CCFunction, CCFunctionBind);
    try {
        return pThis->Bind(pObject);
    } catch (...) {
        return E_UNEXPECTED;
    }
}
