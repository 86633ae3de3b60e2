// ZRKEncoder.dll: the encoder object, which loads the message data file.
#include "client/CallLog.h"
#include "client/ComponentViews.h"
#include "client/MessageData.h"
#include "client/StandInFactory.h"

namespace {

class Encoder final : public StandInObject<IZRKEncoder> {
public:
    Encoder() : StandInObject<IZRKEncoder>(IID_IZRKEncoder) {}

    HRESULT STDMETHODCALLTYPE LoadMessageData(const char* pszPath) override
    {
        if (!pszPath)
            return E_POINTER;
        m_messages.Read(pszPath);
        LogCall("ZRKEncoder: LoadMessageData %s -> %u messages", pszPath,
                static_cast<unsigned>(m_messages.Count()));
        return m_messages.Count() == 0 ? E_FAIL : S_OK;
    }

private:
    MessageList m_messages;
};

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
{
    return GetStandInClassObject<Encoder>("ZRKEncoder", CLSID_ZRKEncoder, clsid, iid, ppv);
}
