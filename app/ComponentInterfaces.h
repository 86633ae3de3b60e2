// The interfaces of the client's components that the plug-in calls by method position:
// the CoreHost of Vantri.dll, the modules and encoder objects, and the help library's
// game archive object. Their method tables are fixed by the components, not by us.
#pragma once

#include "framework/CString.h"

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <cstdint>

// Class and interface identifiers that start-up and the exports hand to the components.
extern const CLSID CLSID_CoreHost;
extern const IID IID_ICoreHost;
extern const CLSID CLSID_ZRKModules;
extern const IID IID_IZRKModules;
extern const CLSID CLSID_ZRKEncoder;
extern const IID IID_IZRKEncoder;

struct ICoreHost;

// The plug-in never calls GetVersion, GetState or UnregisterObject; they hold their
// places in the host's table.
struct ICoreHostVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(ICoreHost* self, REFIID iid, void** ppv);
    ULONG(STDMETHODCALLTYPE* AddRef)(ICoreHost* self);
    ULONG(STDMETHODCALLTYPE* Release)(ICoreHost* self);
    HRESULT(STDMETHODCALLTYPE* GetVersion)(ICoreHost* self, DWORD* pVersion);
    HRESULT(STDMETHODCALLTYPE* GetState)(ICoreHost* self, DWORD* pState);
    HRESULT(STDMETHODCALLTYPE* GetModule)(ICoreHost* self, REFIID iid, void** ppModule);
    HRESULT(STDMETHODCALLTYPE* RegisterObject)(ICoreHost* self, REFIID iid, IUnknown* pObject,
                                               BOOL bKeep);
    HRESULT(STDMETHODCALLTYPE* UnregisterObject)(ICoreHost* self, REFIID iid);
    HRESULT(STDMETHODCALLTYPE* LoadModule)(ICoreHost* self, REFCLSID clsid, REFIID iid,
                                           const char* pszPath, BOOL bShared);
    HRESULT(STDMETHODCALLTYPE* Shutdown)(ICoreHost* self);
};

struct ICoreHost {
    const ICoreHostVtbl* lpVtbl;
};

static_assert(offsetof(ICoreHostVtbl, Release) == 2 * sizeof(void*), "CoreHost method table");
static_assert(offsetof(ICoreHostVtbl, GetModule) == 5 * sizeof(void*), "CoreHost method table");
static_assert(offsetof(ICoreHostVtbl, LoadModule) == 8 * sizeof(void*), "CoreHost method table");
static_assert(sizeof(ICoreHostVtbl) == 10 * sizeof(void*), "CoreHost method table");
static_assert(offsetof(ICoreHostVtbl, RegisterObject) == 6 * sizeof(void*), "CoreHost method table");
static_assert(offsetof(ICoreHostVtbl, LoadModule) == 8 * sizeof(void*), "CoreHost method table");
static_assert(offsetof(ICoreHostVtbl, Shutdown) == 9 * sizeof(void*), "CoreHost method table");

struct IZRKModules;

struct IZRKModulesVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(IZRKModules* self, REFIID iid, void** ppv);
    ULONG(STDMETHODCALLTYPE* AddRef)(IZRKModules* self);
    ULONG(STDMETHODCALLTYPE* Release)(IZRKModules* self);
    HRESULT(STDMETHODCALLTYPE* TransferValue)(IZRKModules* self, int32_t value);
};

struct IZRKModules {
    const IZRKModulesVtbl* lpVtbl;
};

static_assert(offsetof(IZRKModulesVtbl, TransferValue) == 3 * sizeof(void*), "modules method table");

struct IZRKEncoder;

struct IZRKEncoderVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(IZRKEncoder* self, REFIID iid, void** ppv);
    ULONG(STDMETHODCALLTYPE* AddRef)(IZRKEncoder* self);
    ULONG(STDMETHODCALLTYPE* Release)(IZRKEncoder* self);
    HRESULT(STDMETHODCALLTYPE* LoadMessageData)(IZRKEncoder* self, const char* pszPath);
};

struct IZRKEncoder {
    const IZRKEncoderVtbl* lpVtbl;
};

static_assert(offsetof(IZRKEncoderVtbl, LoadMessageData) == 3 * sizeof(void*), "encoder method table");

// One loudspeaker message as the game archive object fills it; the text is assigned
// on the archive's side, so both sides share the framework's string.
struct SpeakMessage {
    int32_t m_nNumber;
    int32_t m_nKind;
    CString m_strText;
};

static_assert(sizeof(SpeakMessage) == 8 + sizeof(void*), "message record layout");
static_assert(sizeof(void*) != 4 || sizeof(SpeakMessage) == 12, "32-bit message record layout");
static_assert(offsetof(SpeakMessage, m_nKind) == 4, "message record layout");
static_assert(offsetof(SpeakMessage, m_strText) == 8, "message record layout");

const int32_t kSpeakKindLoudspeaker = 2;

// The help library's game archive: a C++ object whose methods use the member calling
// convention; only the third one is called.
struct CGameZip;

struct CGameZipVtbl {
    void* Unused0;
    void* Unused1;
    int(__thiscall* GetMessageInfo)(CGameZip* self, int32_t nRequest, int32_t nSecond,
                                    int32_t nFirst, SpeakMessage* pMessage, int32_t nFlags);
};

struct CGameZip {
    const CGameZipVtbl* vfptr;
};

static_assert(offsetof(CGameZipVtbl, GetMessageInfo) == 2 * sizeof(void*), "game archive method table");
