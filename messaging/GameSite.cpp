#include "messaging/GameSite.h"

#include "messaging/ChannelMessage.h"

GameSite::GameSite() : GameSite("Client") {}

GameSite::GameSite(const std::string& prefix) { m_channel.Open(prefix); }

GameSite::~GameSite() = default;

HRESULT STDMETHODCALLTYPE GameSite::QueryInterface(REFIID riid, void** ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = IsEqualIID(riid, IID_IUnknown) ? this : nullptr;
    return *ppvObject ? S_OK : E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE GameSite::AddRef() { return 1; }

ULONG STDMETHODCALLTYPE GameSite::Release() { return 1; }

HRESULT STDMETHODCALLTYPE GameSite::PostType6(int32_t length, const void* data)
{
    return Post(6, 0, length, data);
}

HRESULT STDMETHODCALLTYPE GameSite::PostType7(int32_t length, const void* data)
{
    return Post(7, 0, length, data);
}

HRESULT STDMETHODCALLTYPE GameSite::PostType8(int32_t value, int32_t length, const void* data)
{
    return Post(8, value, length, data);
}

// Called from other modules over COM: nothing may unwind out of it. A channel that
// could not take the mutex within its time-out drops the message, as a full queue does.
HRESULT GameSite::Post(uint8_t type, int32_t value, int32_t length, const void* data)
{
    try {
        ChannelMessage message;
        if (!PackChannelMessage(&message, type, value, length, data))
            return E_INVALIDARG;
        m_channel.Push(&message, kChannelMessageSize);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}
