#include "messaging/GameSite.h"

#include "messaging/ChannelMessage.h"

namespace {

GameSite* Site(IGameSite* self) { return static_cast<GameSite*>(self); }

HRESULT STDMETHODCALLTYPE SiteQueryInterface(IGameSite* self, REFIID riid, void** ppvObject)
{
    return Site(self)->QueryInterface(riid, ppvObject);
}

ULONG STDMETHODCALLTYPE SiteAddRef(IGameSite* self) { return Site(self)->AddRef(); }

ULONG STDMETHODCALLTYPE SiteRelease(IGameSite* self) { return Site(self)->Release(); }

HRESULT STDMETHODCALLTYPE SitePostType6(IGameSite* self, int32_t length, const void* data)
{
    return Site(self)->PostType6(length, data);
}

HRESULT STDMETHODCALLTYPE SitePostType7(IGameSite* self, int32_t length, const void* data)
{
    return Site(self)->PostType7(length, data);
}

HRESULT STDMETHODCALLTYPE SitePostType8(IGameSite* self, int32_t value, int32_t length, const void* data)
{
    return Site(self)->PostType8(value, length, data);
}

// Destroys the site; frees it too when bit 0 of the flags is set (the object came from
// this module's new).
void* __thiscall SiteDeletingDestructor(IGameSite* self, unsigned flags)
{
    GameSite* site = Site(self);
    if (flags & 1)
        delete site;
    else
        site->~GameSite();
    return site;
}

const IGameSiteVtbl kGameSiteVtbl = {
    SiteQueryInterface, SiteAddRef, SiteRelease, SitePostType6, SitePostType7, SitePostType8,
    SiteDeletingDestructor,
};

}  // namespace

GameSite::GameSite() : GameSite(kClientPrefix) {}

GameSite::GameSite(const std::string& prefix) : IGameSite{&kGameSiteVtbl} { m_channel.Open(prefix); }

GameSite::~GameSite() = default;

HRESULT GameSite::QueryInterface(REFIID riid, void** ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = IsEqualIID(riid, IID_IUnknown) ? this : nullptr;
    return *ppvObject ? S_OK : E_NOINTERFACE;
}

ULONG GameSite::AddRef() { return 1; }

ULONG GameSite::Release() { return 1; }

HRESULT GameSite::PostType6(int32_t length, const void* data) { return Post(6, 0, length, data); }

HRESULT GameSite::PostType7(int32_t length, const void* data) { return Post(7, 0, length, data); }

HRESULT GameSite::PostType8(int32_t value, int32_t length, const void* data)
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
