// The stand-in components' own view of the interfaces they implement or call: the
// component host, the modules and encoder objects, the plug-in's CCFunction and
// IGameSite, and the help library's game archive.
#pragma once

#include "client/PeerString.h"

#include <windows.h>
#include <unknwn.h>

#include <stddef.h>
#include <stdint.h>

inline constexpr CLSID CLSID_CoreHost = {0x2ED48E16, 0xEA74, 0x4101, {0xAA, 0x01, 0x4F, 0x60, 0xF1, 0xAF, 0xB4, 0x74}};
inline constexpr IID IID_ICoreHost = {0xE457587A, 0x108E, 0x437C, {0xA9, 0x35, 0x01, 0xDE, 0x7D, 0x6A, 0xF0, 0x5A}};
inline constexpr CLSID CLSID_ZRKModules = {0xCD1567DB, 0xF7D1, 0x456F, {0x99, 0x63, 0xD9, 0xCC, 0x0F, 0x9E, 0x6D, 0xC2}};
inline constexpr IID IID_IZRKModules = {0x142027DF, 0x4F0C, 0x47F1, {0x8C, 0x1B, 0xBF, 0x8D, 0xB7, 0xB9, 0xDB, 0x51}};
inline constexpr CLSID CLSID_ZRKEncoder = {0x27F49156, 0x6D05, 0x4750, {0x94, 0x6C, 0xD0, 0x75, 0xDC, 0xF4, 0xFE, 0x44}};
inline constexpr IID IID_IZRKEncoder = {0xEEBC1D40, 0x9048, 0x48A4, {0xB2, 0xE2, 0x81, 0x4B, 0x4F, 0x38, 0x22, 0x9A}};
inline constexpr IID IID_ICCFunction = {0xCF0A0941, 0x690B, 0x4B0D, {0xBC, 0x8F, 0xE4, 0xDC, 0xA9, 0x1D, 0x02, 0xE5}};
inline constexpr IID IID_ICCFunctionBind = {0x4091B50F, 0xE2DD, 0x4F60, {0x87, 0x05, 0x2A, 0x11, 0x11, 0xD3, 0xB6, 0x66}};

class ICoreHost : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE GetVersion(DWORD* pVersion) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetState(DWORD* pState) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetModule(REFIID iid, void** ppModule) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterObject(REFIID iid, IUnknown* pObject, BOOL bKeep) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnregisterObject(REFIID iid) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadModule(REFCLSID clsid, REFIID iid, const char* pszPath,
                                                 BOOL bShared) = 0;
    virtual HRESULT STDMETHODCALLTYPE Shutdown() = 0;
};

class IZRKModules : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE TransferValue(int32_t nValue) = 0;
};

class IZRKEncoder : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE LoadMessageData(const char* pszPath) = 0;
};

class ICCFunction : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE Notify() = 0;
};

class ICCFunctionBind : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE Bind(IUnknown* pObject) = 0;
};

class IGameSite : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE PostType6(int32_t nLength, const void* pData) = 0;
    virtual HRESULT STDMETHODCALLTYPE PostType7(int32_t nLength, const void* pData) = 0;
    virtual HRESULT STDMETHODCALLTYPE PostType8(int32_t nValue, int32_t nLength, const void* pData) = 0;
};

// One loudspeaker message as the plug-in hands it to the game archive; the archive's
// string code assigns the text.
struct SpeakMessage {
    int32_t nNumber;
    int32_t nKind;
    PeerString strText;
};

static_assert(sizeof(SpeakMessage) == 8 + sizeof(void*), "message record layout");
static_assert(offsetof(SpeakMessage, strText) == 8, "message record layout");

class CGameZip {
public:
    virtual int __thiscall Open(const char* pszName) = 0;
    virtual int __thiscall Close() = 0;
    virtual int __thiscall GetMessageInfo(int32_t nRequest, int32_t nSecond, int32_t nFirst,
                                          SpeakMessage* pMessage, int32_t nFlags) = 0;
};
