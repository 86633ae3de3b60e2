// The site object handed to the menu module: IGameSite's posting methods turn a call
// into one ChannelMessage and append it to the "Client" shared-memory queue.
#pragma once

#include "messaging/SharedMemoryChannel.h"

#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <string>

// Method table by position: QueryInterface, AddRef, Release, PostType6, PostType7,
// PostType8, then the destructor. Callers in other modules use these positions.
struct IGameSite {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
    virtual HRESULT STDMETHODCALLTYPE PostType6(int32_t length, const void* data) = 0;
    virtual HRESULT STDMETHODCALLTYPE PostType7(int32_t length, const void* data) = 0;
    virtual HRESULT STDMETHODCALLTYPE PostType8(int32_t value, int32_t length, const void* data) = 0;
    virtual ~IGameSite() = default;
};

class GameSite : public IGameSite {
public:
    // Opens the channel with the prefix "Client"; the other form serves tests.
    GameSite();
    explicit GameSite(const std::string& prefix);
    ~GameSite() override;
    GameSite(const GameSite&) = delete;
    GameSite& operator=(const GameSite&) = delete;

    // S_OK with this object for IUnknown; E_NOINTERFACE with a null pointer otherwise.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    // The object's lifetime is not governed by references: both answer 1.
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // S_OK whether or not the queue took the message; E_INVALIDARG, posting nothing,
    // when length lies outside 0..2056 or data is null for a non-empty payload.
    HRESULT STDMETHODCALLTYPE PostType6(int32_t length, const void* data) override;
    HRESULT STDMETHODCALLTYPE PostType7(int32_t length, const void* data) override;
    HRESULT STDMETHODCALLTYPE PostType8(int32_t value, int32_t length, const void* data) override;

private:
    SharedMemoryChannel m_channel;

    HRESULT Post(uint8_t type, int32_t value, int32_t length, const void* data);
};
