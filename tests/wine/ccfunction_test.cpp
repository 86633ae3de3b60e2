// CCFunction through its class factory, the way start-up creates it, and Bind against
// a stand-in host object whose method table is a plain array.
#include "messaging/CCFunction.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>

namespace {

// A host object with twelve methods; position 11 hands out the address of its block.
struct StandInHost {
    const void* const* table;
    LONG refs = 1;
    BYTE block[16] = {};
    bool giveBlock = true;
    int blockCalls = 0;
};

HRESULT STDMETHODCALLTYPE HostQueryInterface(StandInHost*, REFIID, void** out)
{
    *out = nullptr;
    ADD_FAILURE() << "Bind must not query the host object";
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE HostAddRef(StandInHost* self) { return static_cast<ULONG>(++self->refs); }
ULONG STDMETHODCALLTYPE HostRelease(StandInHost* self) { return static_cast<ULONG>(--self->refs); }
HRESULT STDMETHODCALLTYPE HostUnexpected(StandInHost*)
{
    ADD_FAILURE() << "Bind called a method other than position 11";
    return E_FAIL;
}
HRESULT STDMETHODCALLTYPE HostGetBlock(StandInHost* self, void** block)
{
    ++self->blockCalls;
    if (self->giveBlock)
        *block = self->block;
    return S_OK;
}

const void* const kHostTable[12] = {
    reinterpret_cast<const void*>(HostQueryInterface), reinterpret_cast<const void*>(HostAddRef),
    reinterpret_cast<const void*>(HostRelease),        reinterpret_cast<const void*>(HostUnexpected),
    reinterpret_cast<const void*>(HostUnexpected),     reinterpret_cast<const void*>(HostUnexpected),
    reinterpret_cast<const void*>(HostUnexpected),     reinterpret_cast<const void*>(HostUnexpected),
    reinterpret_cast<const void*>(HostUnexpected),     reinterpret_cast<const void*>(HostUnexpected),
    reinterpret_cast<const void*>(HostUnexpected),     reinterpret_cast<const void*>(HostGetBlock),
};

StandInHost MakeHost(BYTE fill)
{
    StandInHost host{kHostTable};
    std::memset(host.block, fill, sizeof host.block);
    return host;
}

IUnknown* AsUnknown(StandInHost* host) { return reinterpret_cast<IUnknown*>(host); }

// Creates one object the way start-up does.
ICCFunction* CreateThroughFactory()
{
    auto* factory = static_cast<IClassFactory2*>(TheCCFunctionFactory().GetInterface(&IID_IClassFactory2));
    ICCFunction* object = nullptr;
    if (!factory || factory->CreateInstance(nullptr, IID_ICCFunction, reinterpret_cast<void**>(&object)) != S_OK)
        return nullptr;
    return object;
}

}  // namespace

TEST(CCFunction, FactoryDescribesTheClass)
{
    COleObjectFactory& factory = TheCCFunctionFactory();
    EXPECT_TRUE(IsEqualCLSID(CLSID_CCFunction, factory.GetClassID()));
    EXPECT_STREQ("CCFunction", factory.GetProgID());
    EXPECT_FALSE(factory.IsMultiInstance());
    const CRuntimeClass* runtime = RUNTIME_CLASS(CCFunction);
    EXPECT_STREQ("CCFunction", runtime->m_lpszClassName);
    EXPECT_EQ(0xFFFFu, runtime->m_wSchema);
    EXPECT_TRUE(runtime->IsDerivedFrom(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_EQ(factory.GetInterface(&IID_IClassFactory), factory.GetInterface(&IID_IClassFactory2));

    auto* classFactory = static_cast<IClassFactory2*>(factory.GetInterface(&IID_IClassFactory2));
    ASSERT_NE(nullptr, classFactory);
    LICINFO info{};
    EXPECT_EQ(S_OK, classFactory->GetLicInfo(&info));
    EXPECT_TRUE(info.fLicVerified);
    IUnknown* object = reinterpret_cast<IUnknown*>(1);
    StandInHost outer = MakeHost(0);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, classFactory->CreateInstance(AsUnknown(&outer), IID_IUnknown, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_NOINTERFACE, classFactory->CreateInstance(nullptr, IID_IClassFactory, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(nullptr, object) << "an object asked for an interface it lacks is not kept";
}

TEST(CCFunction, InterfacesShareOneIdentityAndCount)
{
    ICCFunction* object = CreateThroughFactory();
    ASSERT_NE(nullptr, object);
    ICCFunctionBind* bind = nullptr;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_ICCFunctionBind, reinterpret_cast<void**>(&bind)));
    IUnknown* fromObject = nullptr;
    IUnknown* fromBind = nullptr;
    object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromObject));
    bind->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromBind));
    EXPECT_EQ(fromObject, fromBind) << "one IUnknown for both interfaces";
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(S_OK, object->Notify());
    fromObject->Release();
    fromBind->Release();
    EXPECT_EQ(3u, object->AddRef()) << "object and bind hold one each, plus this one";
    EXPECT_EQ(2u, object->Release());
    EXPECT_EQ(1u, object->Release());
    EXPECT_EQ(0u, bind->Release()) << "the last reference, through either interface";
}

// The interface methods are the firewall: what the object's own methods throw ends there.
TEST(CCFunction, InterfaceMethodsCatchWhatTheObjectThrows)
{
    struct Throwing : CCFunction {
        HRESULT Notify() override { throw std::bad_alloc(); }
        HRESULT Bind(IUnknown*) override { throw 1; }
    };
    auto* object = new Throwing;
    ICCFunction* notify = nullptr;
    ICCFunctionBind* bind = nullptr;
    ASSERT_EQ(S_OK, object->ExternalQueryInterface(&IID_ICCFunction, reinterpret_cast<void**>(&notify)));
    ASSERT_EQ(S_OK, object->ExternalQueryInterface(&IID_ICCFunctionBind, reinterpret_cast<void**>(&bind)));
    object->ExternalRelease();
    EXPECT_EQ(E_UNEXPECTED, notify->Notify());
    EXPECT_EQ(E_UNEXPECTED, bind->Bind(nullptr));
    notify->Release();
    EXPECT_EQ(0u, bind->Release());
}

TEST(CCFunction, BindHoldsOneReferenceAndCopiesTheBlock)
{
    StandInHost first = MakeHost(0xA1), second = MakeHost(0xB2);
    ICCFunction* object = CreateThroughFactory();
    ASSERT_NE(nullptr, object);
    ICCFunctionBind* bind = nullptr;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_ICCFunctionBind, reinterpret_cast<void**>(&bind)));
    object->Release();

    EXPECT_EQ(S_OK, bind->Bind(AsUnknown(&first)));
    EXPECT_EQ(2, first.refs) << "one reference taken";
    EXPECT_EQ(S_OK, bind->Bind(AsUnknown(&first)));
    EXPECT_EQ(2, first.refs) << "binding the same object again takes none";
    EXPECT_EQ(2, first.blockCalls) << "but copies its block again";

    second.giveBlock = false;
    EXPECT_EQ(S_OK, bind->Bind(AsUnknown(&second)));
    EXPECT_EQ(1, first.refs) << "the previous object is released";
    EXPECT_EQ(2, second.refs);
    EXPECT_EQ(1, second.blockCalls);

    EXPECT_EQ(S_OK, bind->Bind(nullptr));
    EXPECT_EQ(1, second.refs) << "binding null releases";
    EXPECT_EQ(1, second.blockCalls) << "nothing to ask a null object";

    EXPECT_EQ(S_OK, bind->Bind(AsUnknown(&second)));
    EXPECT_EQ(0u, bind->Release()) << "the last reference deletes the object";
    EXPECT_EQ(1, second.refs) << "and the object released what it held";
}

TEST(CCFunction, BoundBlockIsCopiedOnlyWhenHandedOut)
{
    StandInHost host = MakeHost(0x5C);
    CCFunction* object = static_cast<CCFunction*>(RUNTIME_CLASS(CCFunction)->CreateObject());
    ASSERT_NE(nullptr, object);
    const BYTE zero[16] = {};
    EXPECT_EQ(0, std::memcmp(zero, object->GetBoundBlock(), 16)) << "zero at construction";
    EXPECT_EQ(S_OK, object->Bind(AsUnknown(&host)));
    EXPECT_EQ(0, std::memcmp(host.block, object->GetBoundBlock(), 16)) << "copied from the host";
    host.giveBlock = false;
    std::memset(host.block, 0x77, sizeof host.block);
    EXPECT_EQ(S_OK, object->Bind(AsUnknown(&host)));
    BYTE expected[16];
    std::memset(expected, 0x5C, sizeof expected);
    EXPECT_EQ(0, std::memcmp(expected, object->GetBoundBlock(), 16)) << "a null block pointer leaves it";
    EXPECT_EQ(S_OK, object->Bind(nullptr));
    EXPECT_EQ(0, std::memcmp(expected, object->GetBoundBlock(), 16)) << "binding null leaves it";
    EXPECT_EQ(nullptr, object->GetBoundObject());
    object->InternalRelease();
}

namespace {

// Records which module state was current inside Notify.
class StateProbe : public CCFunction {
public:
    HRESULT Notify() override
    {
        m_pSeen = AfxGetModuleState();
        return S_OK;
    }
    AFX_MODULE_STATE* m_pSeen = nullptr;
};

}  // namespace

TEST(CCFunction, InterfaceMethodsRunInTheirModulesState)
{
    StateProbe* probe = new StateProbe;
    auto* object = static_cast<ICCFunction*>(probe->GetInterface(&IID_ICCFunction));
    ASSERT_NE(nullptr, object);
    AFX_MODULE_STATE caller{nullptr};
    {
        AFX_MANAGE_STATE(&caller);
        EXPECT_EQ(S_OK, object->Notify());
        EXPECT_EQ(&caller, AfxGetModuleState()) << "the caller's state comes back";
    }
    EXPECT_EQ(AfxGetStaticModuleState(), probe->m_pSeen) << "Notify ran in the module's own state";
    EXPECT_EQ(0u, object->Release());
}
