// The site object handed to the menu module: IGameSite's posting methods turn a call
// into one ChannelMessage and append it to the "Client" shared-memory queue.
#pragma once

#include "messaging/SharedMemoryChannel.h"

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct IGameSite;

// IGameSite's method table by position, as callers in other modules use it. The menu
// module is built with the Microsoft compiler, whose virtual destructor is one slot: a
// member-convention call with one flags argument (bit 0: free the memory too) that the
// callee pops, answering the object's address.
struct IGameSiteVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(IGameSite* self, REFIID riid, void** ppvObject);
    ULONG(STDMETHODCALLTYPE* AddRef)(IGameSite* self);
    ULONG(STDMETHODCALLTYPE* Release)(IGameSite* self);
    HRESULT(STDMETHODCALLTYPE* PostType6)(IGameSite* self, int32_t length, const void* data);
    HRESULT(STDMETHODCALLTYPE* PostType7)(IGameSite* self, int32_t length, const void* data);
    HRESULT(STDMETHODCALLTYPE* PostType8)(IGameSite* self, int32_t value, int32_t length, const void* data);
    void*(__thiscall* DeletingDestructor)(IGameSite* self, unsigned flags);
};

static_assert(offsetof(IGameSiteVtbl, PostType6) == 3 * sizeof(void*), "IGameSite method table");
static_assert(offsetof(IGameSiteVtbl, DeletingDestructor) == 6 * sizeof(void*), "IGameSite method table");
static_assert(sizeof(IGameSiteVtbl) == 7 * sizeof(void*), "IGameSite method table ends with its destructor");

struct IGameSite {
    const IGameSiteVtbl* lpVtbl;
};

// The table's methods forward to the members of the same name.
class GameSite final : public IGameSite {
public:
    // The prefix of the client's queue.
    static constexpr const char* kClientPrefix = "Client";

    // Opens the channel with the prefix kClientPrefix; the other form serves tests.
    GameSite();
    explicit GameSite(const std::string& prefix);
    ~GameSite();
    GameSite(const GameSite&) = delete;
    GameSite& operator=(const GameSite&) = delete;

    // S_OK with this object for IUnknown; E_NOINTERFACE with a null pointer otherwise.
    HRESULT QueryInterface(REFIID riid, void** ppvObject);
    // The object's lifetime is not governed by references: both answer 1.
    ULONG AddRef();
    ULONG Release();
    // S_OK whether or not the queue took the message; E_INVALIDARG, posting nothing,
    // when length lies outside 0..2056 or data is null for a non-empty payload.
    HRESULT PostType6(int32_t length, const void* data);
    HRESULT PostType7(int32_t length, const void* data);
    HRESULT PostType8(int32_t value, int32_t length, const void* data);

private:
    SharedMemoryChannel m_channel;

    HRESULT Post(uint8_t type, int32_t value, int32_t length, const void* data);
};
