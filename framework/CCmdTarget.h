// Command targets with COM interface maps: reference counting, interface lookup by
// identifier, run-time classes with dynamic creation, and the module-state switch that
// every interface method makes on entry.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>

class CCmdTarget;

// A class's name, schema and factory function, for creation by run-time class.
struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;  // 0xFFFF: not serialisable
    CCmdTarget* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new object on the heap, or null when the class cannot be created dynamically.
    CCmdTarget* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

// One interface of an object: its identifier and where the object keeps it.
struct AFX_INTERFACEMAP_ENTRY {
    const IID* piid;
    LPUNKNOWN (*pfnGetPart)(CCmdTarget* pTarget);
};

struct AFX_INTERFACEMAP {
    const AFX_INTERFACEMAP* pBaseMap;
    const AFX_INTERFACEMAP_ENTRY* pEntries;  // ends with a null identifier
};

// The module whose code runs; interface methods switch to their own module's state.
struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle;
};

AFX_MODULE_STATE* AfxGetModuleState();
// The state of the module this code is linked into.
AFX_MODULE_STATE* AfxGetStaticModuleState();

// Makes a module state current for a scope and restores the previous one after it.
class AFX_MAINTAIN_STATE {
public:
    explicit AFX_MAINTAIN_STATE(AFX_MODULE_STATE* pNewState);
    ~AFX_MAINTAIN_STATE();
    AFX_MAINTAIN_STATE(const AFX_MAINTAIN_STATE&) = delete;
    AFX_MAINTAIN_STATE& operator=(const AFX_MAINTAIN_STATE&) = delete;

private:
    AFX_MODULE_STATE* m_pPrevState;
};

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE _ctlState(p)

class CCmdTarget {
public:
    CCmdTarget();
    virtual ~CCmdTarget();
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    static const CRuntimeClass classCCmdTarget;
    virtual const CRuntimeClass* GetRuntimeClass() const;

    // The interface for an identifier, or null; takes no reference.
    LPUNKNOWN GetInterface(const void* iid);

    DWORD InternalAddRef();
    DWORD InternalRelease();
    DWORD ExternalAddRef();
    DWORD ExternalRelease();
    HRESULT ExternalQueryInterface(const void* iid, LPVOID* ppvObj);

    // Runs when the last reference goes: deletes the object.
    virtual void OnFinalRelease();

    // The fields in the order framework-built modules expect behind the table pointer:
    // a window object's handle follows them at seven pointers (0x1C on 32-bit). Aggregation, dispatch and
    // connection points are not offered; their fields stay empty.
    LONG m_dwRef = 1;
    LPUNKNOWN m_pOuterUnknown = nullptr;
    DWORD_PTR m_xInnerUnknown = 0;
    DWORD_PTR m_xDispatch = 0;
    BOOL m_bResultExpected = TRUE;
    DWORD_PTR m_xConnPtContainer = 0;

protected:
    static const AFX_INTERFACEMAP interfaceMap;
    virtual const AFX_INTERFACEMAP* GetInterfaceMap() const;
};

// GCC lays out classes with virtual functions predictably and answers offsetof on them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
// In pointer units: the table pointer, then six fields, each in a slot of its own (the
// 32-bit fields are padded to one on 64-bit).
static_assert(offsetof(CCmdTarget, m_dwRef) == 1 * sizeof(void*), "command target layout");
static_assert(offsetof(CCmdTarget, m_pOuterUnknown) == 2 * sizeof(void*), "command target layout");
static_assert(offsetof(CCmdTarget, m_xInnerUnknown) == 3 * sizeof(void*), "command target layout");
static_assert(offsetof(CCmdTarget, m_xDispatch) == 4 * sizeof(void*), "command target layout");
static_assert(offsetof(CCmdTarget, m_bResultExpected) == 5 * sizeof(void*), "command target layout");
static_assert(offsetof(CCmdTarget, m_xConnPtContainer) == 6 * sizeof(void*), "command target layout");
static_assert(sizeof(CCmdTarget) == 7 * sizeof(void*), "command target layout");
static_assert(sizeof(void*) != 4 || sizeof(CCmdTarget) == 0x1C, "32-bit command target layout");
#pragma GCC diagnostic pop

// Run-time class declarations.
#define DECLARE_DYNCREATE(class_name)                                  \
public:                                                                \
    static const CRuntimeClass class##class_name;                      \
    static CCmdTarget* CreateObject();                                 \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNCREATE(class_name, base_class_name, schema)                            \
    CCmdTarget* class_name::CreateObject() { return new class_name; }                       \
    const CRuntimeClass class_name::class##class_name = {                                   \
        #class_name, sizeof(class_name), schema, class_name::CreateObject,                  \
        &base_class_name::class##base_class_name};                                          \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return &class##class_name; }

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// Interface maps.
#define DECLARE_INTERFACE_MAP()                                        \
protected:                                                             \
    static const AFX_INTERFACEMAP_ENTRY _interfaceEntries[];           \
    static const AFX_INTERFACEMAP interfaceMap;                        \
    const AFX_INTERFACEMAP* GetInterfaceMap() const override;

#define BEGIN_INTERFACE_MAP(theClass, baseClass)                                            \
    const AFX_INTERFACEMAP* theClass::GetInterfaceMap() const { return &interfaceMap; }     \
    const AFX_INTERFACEMAP theClass::interfaceMap = {&baseClass::interfaceMap,              \
                                                     theClass::_interfaceEntries};          \
    const AFX_INTERFACEMAP_ENTRY theClass::_interfaceEntries[] = {

#define INTERFACE_PART(theClass, iid, localClass)                                           \
    {&(iid), [](CCmdTarget* p) -> LPUNKNOWN {                                               \
         return &static_cast<theClass*>(p)->m_x##localClass;                                \
     }},

#define END_INTERFACE_MAP() {nullptr, nullptr}};

// An interface part: a nested object that carries one interface's method table and
// finds its owner through a back pointer.
#define BEGIN_INTERFACE_PART(localClass, baseClass)                                         \
    class X##localClass : public baseClass {                                                \
    public:                                                                                 \
        STDMETHOD_(ULONG, AddRef)() override;                                               \
        STDMETHOD_(ULONG, Release)() override;                                              \
        STDMETHOD(QueryInterface)(REFIID iid, LPVOID* ppvObj) override;

#define END_INTERFACE_PART(localClass, outerClass)                                          \
        outerClass* m_pThis = nullptr;                                                      \
    } m_x##localClass;                                                                      \
    friend class X##localClass;

// Entry of an interface method: the module's state, and pThis for the owner.
#define METHOD_PROLOGUE(theClass, localClass)                                               \
    [[maybe_unused]] theClass* pThis = m_pThis;                                             \
    AFX_MANAGE_STATE(AfxGetStaticModuleState())

// IUnknown of an interface part, forwarded to the owner's external methods.
#define IMPLEMENT_IUNKNOWN_PART(theClass, localClass)                                       \
    STDMETHODIMP_(ULONG) theClass::X##localClass::AddRef()                                  \
    {                                                                                       \
        METHOD_PROLOGUE(theClass, localClass);                                              \
        return pThis->ExternalAddRef();                                                     \
    }                                                                                       \
    STDMETHODIMP_(ULONG) theClass::X##localClass::Release()                                 \
    {                                                                                       \
        METHOD_PROLOGUE(theClass, localClass);                                              \
        return pThis->ExternalRelease();                                                    \
    }                                                                                       \
    STDMETHODIMP theClass::X##localClass::QueryInterface(REFIID iid, LPVOID* ppvObj)        \
    {                                                                                       \
        METHOD_PROLOGUE(theClass, localClass);                                              \
        return pThis->ExternalQueryInterface(&iid, ppvObj);                                 \
    }
