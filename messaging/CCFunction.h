// The COM object that start-up hands to the component host, made by the plug-in's own
// class factory: ICCFunction (Notify) and ICCFunctionBind (Bind to a host object).
#pragma once

#include "framework/COleObjectFactory.h"

#include <windows.h>

extern const IID IID_ICCFunction;
extern const IID IID_ICCFunctionBind;
extern const CLSID CLSID_CCFunction;

struct ICCFunction : public IUnknown {
    STDMETHOD(Notify)() = 0;
};

struct ICCFunctionBind : public IUnknown {
    STDMETHOD(Bind)(IUnknown* pObject) = 0;
};

class CCFunction : public CCmdTarget {
    DECLARE_DYNCREATE(CCFunction)

public:
    CCFunction();
    ~CCFunction() override;

    // Does nothing; S_OK.
    virtual HRESULT Notify();
    // Holds one reference on pObject (releasing a different one held before) and copies
    // the 16-byte block that its method at table position 11 hands out; S_OK always.
    virtual HRESULT Bind(IUnknown* pObject);

    IUnknown* GetBoundObject() const { return m_pBoundObject; }
    const BYTE* GetBoundBlock() const { return m_boundBlock; }

protected:
    BEGIN_INTERFACE_PART(CCFunction, ICCFunction)
        STDMETHOD(Notify)() override;
    END_INTERFACE_PART(CCFunction, CCFunction)

    BEGIN_INTERFACE_PART(CCFunctionBind, ICCFunctionBind)
        STDMETHOD(Bind)(IUnknown* pObject) override;
    END_INTERFACE_PART(CCFunctionBind, CCFunction)

    DECLARE_INTERFACE_MAP()

private:
    IUnknown* m_pBoundObject = nullptr;
    BYTE m_boundBlock[16] = {};
};

// The static class factory for CCFunction; not registered with the system.
COleObjectFactory& TheCCFunctionFactory();
