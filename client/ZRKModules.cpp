// ZRKModules.dll: the modules object, which receives the value the client passes on
// through the plug-in's TransferPointer.
#include "client/CallLog.h"
#include "client/ComponentViews.h"
#include "client/StandInFactory.h"

namespace {

class Modules final : public StandInObject<IZRKModules> {
public:
    Modules() : StandInObject<IZRKModules>(IID_IZRKModules) {}

    HRESULT STDMETHODCALLTYPE TransferValue(int32_t nValue) override
    {
        LogCall("ZRKModules: TransferValue %ld", static_cast<long>(nValue));
        return S_OK;
    }
};

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return GetStandInClassObject<Modules>("ZRKModules", CLSID_ZRKModules, clsid, iid, ppv);
}
