// Loads the real plug-in in a game folder with every import of its image counted and,
// optionally, the k-th call of one import failed the way that function fails on Windows
// (its failure value and last error; null from the C runtime's allocators), during one
// scenario's phase. Prints what it saw, one "probe:" line per finding.
//   fault_probe.exe SCENARIO [FUNCTION K [load]]   (run from a game folder's work folder)
// SCENARIO: startup (the load), LoadConfig, TransferPointer, GetSpeakInfo,
// CreateRPopupMenu, OnRButton (menu cancelled), post (menu item picked), shutdown.
// With "load" the call fails during the load and the scenario runs unharmed.
// The imports are redirected after the loader binds them and before the plug-in's entry
// point runs: the load notification arrives before binding, so it plants a jump at the
// entry point that installs the redirections, puts the entry's bytes back and enters it.
#include "app/ZRKTempDll.h"
#include "client/DialogWatcher.h"
#include "config/DeviceConfigKeys.h"
#include "framework/KernelHandle.h"
#include "messaging/QueueSection.h"
#include "messaging/SharedMemoryChannel.h"
#include "tests/wine/GdiObjectCounter.h"
#include "tests/wine/ImportRedirect.h"

#include <objbase.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr DWORD kNoError = 0xFFFFFFFF;
constexpr LONG kDisarmed = 0x7FFFFFFF;

// How one import fails: its failure value, the last error it sets, and on 32-bit the
// argument bytes a stdcall function pops.
struct Failure {
    const char* name;
    int argBytes;
    intptr_t value;
    DWORD error;
};

template <typename R, typename... A>
constexpr int ArgBytes(R(WINAPI*)(A...))
{
    return (0 + ... + static_cast<int>((sizeof(A) + 3) & ~size_t{3}));
}

#define WINFAIL(fn, value, error) {#fn, ArgBytes(&::fn), (intptr_t)(value), error}
#define CRTFAIL(fn, value) {#fn, 0, (intptr_t)(value), kNoError}

// Release calls (CloseHandle, DeleteObject, FreeLibrary, EndDialog, KillTimer...) fail
// only for handles a sound caller never passes; pure computations (string and memory
// functions, critical sections) and queries whose every answer is valid have no failure.
const Failure kFailures[] = {
    WINFAIL(BitBlt, FALSE, ERROR_INVALID_HANDLE),
    WINFAIL(CombineRgn, ERROR, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(CreateBitmap, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(CreateCompatibleDC, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(CreateRectRgn, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(ExtCreateRegion, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(GetDIBits, 0, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(GetObjectA, 0, ERROR_INVALID_HANDLE),
    WINFAIL(GetPixel, CLR_INVALID, ERROR_INVALID_PARAMETER),
    WINFAIL(SelectObject, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(SetBkColor, CLR_INVALID, ERROR_INVALID_HANDLE),
    WINFAIL(SetTextColor, CLR_INVALID, ERROR_INVALID_HANDLE),
    WINFAIL(CreateFileA, INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED),
    WINFAIL(CreateFileMappingA, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(CreateMutexA, nullptr, ERROR_ACCESS_DENIED),
    WINFAIL(CreateSemaphoreW, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(FindResourceA, nullptr, ERROR_RESOURCE_TYPE_NOT_FOUND),
    WINFAIL(GetCurrentDirectoryA, 0, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(GetModuleFileNameA, 0, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(GetModuleHandleA, nullptr, ERROR_MOD_NOT_FOUND),
    WINFAIL(GetModuleHandleExA, FALSE, ERROR_MOD_NOT_FOUND),
    WINFAIL(GetModuleHandleW, nullptr, ERROR_MOD_NOT_FOUND),
    WINFAIL(GetProcAddress, nullptr, ERROR_PROC_NOT_FOUND),
    WINFAIL(LoadLibraryA, nullptr, ERROR_MOD_NOT_FOUND),
    WINFAIL(LoadResource, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(MapViewOfFile, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(MultiByteToWideChar, 0, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(ReadFile, FALSE, ERROR_READ_FAULT),
    WINFAIL(TlsAlloc, TLS_OUT_OF_INDEXES, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(TlsSetValue, FALSE, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(VirtualProtect, FALSE, ERROR_INVALID_ADDRESS),
    WINFAIL(VirtualQuery, 0, ERROR_INVALID_PARAMETER),
    WINFAIL(WaitForSingleObject, WAIT_FAILED, ERROR_INVALID_HANDLE),
    CRTFAIL(malloc, nullptr),
    CRTFAIL(calloc, nullptr),
    CRTFAIL(realloc, nullptr),
    CRTFAIL(_vsnprintf, -1),
    CRTFAIL(fwrite, 0),
    CRTFAIL(vfprintf, -1),
    WINFAIL(CoLoadLibrary, nullptr, ERROR_MOD_NOT_FOUND),
    WINFAIL(BeginPaint, nullptr, ERROR_INVALID_WINDOW_HANDLE),
    WINFAIL(CreateDialogIndirectParamA, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(CreateWindowExA, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(GetClientRect, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    WINFAIL(GetCursorPos, FALSE, ERROR_ACCESS_DENIED),
    WINFAIL(GetMessageA, -1, ERROR_INVALID_WINDOW_HANDLE),
    WINFAIL(GetWindowDC, nullptr, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(GetWindowRect, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    WINFAIL(LoadBitmapA, nullptr, ERROR_RESOURCE_NAME_NOT_FOUND),
    WINFAIL(MessageBoxA, 0, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(MoveWindow, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    WINFAIL(PostMessageA, FALSE, ERROR_NOT_ENOUGH_QUOTA),
    WINFAIL(RegisterClassA, 0, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(SetCursorPos, FALSE, ERROR_ACCESS_DENIED),
    WINFAIL(SetForegroundWindow, FALSE, ERROR_ACCESS_DENIED),
    WINFAIL(SetTimer, 0, ERROR_NOT_ENOUGH_MEMORY),
    WINFAIL(SetWindowLongA, 0, ERROR_INVALID_WINDOW_HANDLE),
#ifdef _WIN64
    WINFAIL(SetWindowLongPtrA, 0, ERROR_INVALID_WINDOW_HANDLE),
#endif
    WINFAIL(SetWindowPos, FALSE, ERROR_INVALID_WINDOW_HANDLE),
    WINFAIL(SetWindowRgn, 0, ERROR_INVALID_HANDLE),
    WINFAIL(SetWindowsHookExA, nullptr, ERROR_NOT_ENOUGH_MEMORY),
};

const Failure* FindFailure(const char* name)
{
    for (const Failure& failure : kFailures)
        if (!strcmp(failure.name, name))
            return &failure;
    return nullptr;
}

// One import's counters, read by its stub's code.
struct Counter {
    LONG calls = 0;
    LONG remaining = kDisarmed;  // the stub fails the call that brings it to 0
    LONG base = 0;
};

// A stub per import slot: counts, fails when its counter says so, else jumps on.
struct Stub {
    BYTE code[56];
    void* next;
    void* setLastError;
};

class StubWriter {
public:
    explicit StubWriter(Stub* stub) : m_stub(stub), m_p(stub->code) {}
    void Bytes(std::initializer_list<BYTE> bytes)
    {
        for (BYTE b : bytes)
            *m_p++ = b;
    }
    template <typename T>
    void Value(T value)
    {
        memcpy(m_p, &value, sizeof value);
        m_p += sizeof value;
    }
    // A memory operand that ends its instruction: absolute on 32-bit, RIP-relative on 64.
    void Ref(const void* target)
    {
#ifdef _WIN64
        Value(static_cast<int32_t>(static_cast<const BYTE*>(target) - (m_p + 4)));
#else
        Value(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(target)));
#endif
    }

private:
    Stub* m_stub;
    BYTE* m_p;
};

void WriteStub(Stub* stub, Counter* counter, const Failure* failure)
{
    StubWriter w(stub);
    w.Bytes({0xFF, 0x05});  // inc dword [calls]
    w.Ref(&counter->calls);
    if (failure) {
        w.Bytes({0xFF, 0x0D});  // dec dword [remaining]
        w.Ref(&counter->remaining);
        w.Bytes({0x74, 0x06});  // jz fail
    }
    w.Bytes({0xFF, 0x25});  // jmp [next]
    w.Ref(&stub->next);
    if (!failure)
        return;
#ifdef _WIN64
    if (failure->error != kNoError) {
        w.Bytes({0x48, 0x83, 0xEC, 0x28, 0xB9});  // sub rsp, 40; mov ecx, error
        w.Value(static_cast<uint32_t>(failure->error));
        w.Bytes({0xFF, 0x15});  // call [setLastError]
        w.Ref(&stub->setLastError);
        w.Bytes({0x48, 0x83, 0xC4, 0x28});  // add rsp, 40
    }
    w.Bytes({0x48, 0xB8});  // mov rax, value
    w.Value(static_cast<int64_t>(failure->value));
    w.Bytes({0xC3});
#else
    if (failure->error != kNoError) {
        w.Bytes({0x68});  // push error
        w.Value(static_cast<uint32_t>(failure->error));
        w.Bytes({0xFF, 0x15});  // call [setLastError]
        w.Ref(&stub->setLastError);
    }
    w.Bytes({0xB8});  // mov eax, value
    w.Value(static_cast<int32_t>(failure->value));
    w.Bytes({0xC2});  // ret argBytes
    w.Value(static_cast<uint16_t>(failure->argBytes));
#endif
}

std::map<std::string, Counter> g_counters;  // its nodes stay put: the stubs point into them

// The chosen failure and whether its phase runs. A variant ("FUNCTION/VARIANT") answers
// the k-th call another way its function may answer (a wait timed out, a name taken by
// an object of another kind or size, a truncated path) instead of failing it.
const char* g_pszFault = nullptr;
const char* g_pszVariant = nullptr;
LONG g_nFaultK = 0;
LONG g_nVariantRemaining = kDisarmed;
bool g_bFaultInLoad = false;
bool g_bArmed = false;

void ArmCounter(const std::string& name, Counter* counter)
{
    counter->base = counter->calls;
    if (g_pszFault && name == g_pszFault && !g_pszVariant)
        counter->remaining = g_nFaultK;
}

// Whether this call is the one the chosen variant answers.
bool VariantCall(const char* function, const char* variant)
{
    if (!g_bArmed || !g_pszVariant || strcmp(g_pszFault, function) || strcmp(g_pszVariant, variant))
        return false;
    return --g_nVariantRemaining == 0;
}

// Counters made while armed (the load's own imports) are armed as they are made.
Counter* CounterFor(const std::string& name)
{
    const auto made = g_counters.try_emplace(name);
    Counter* counter = &made.first->second;
    if (made.second && g_bArmed)
        ArmCounter(name, counter);
    return counter;
}

void Arm()
{
    g_bArmed = true;
    g_nVariantRemaining = g_pszVariant ? g_nFaultK : kDisarmed;
    for (auto& entry : g_counters)
        ArmCounter(entry.first, &entry.second);
}

void Disarm()
{
    g_bArmed = false;
    bool bHit = g_pszVariant && g_nVariantRemaining <= 0;
    g_nVariantRemaining = kDisarmed;
    for (auto& entry : g_counters) {
        if (g_pszFault && entry.first == g_pszFault) {
            bHit = bHit || entry.second.remaining <= 0;
            entry.second.remaining = kDisarmed;
        }
        if (entry.second.calls > entry.second.base)
            printf("probe: calls %s %ld %s\n", entry.first.c_str(), static_cast<long>(entry.second.calls - entry.second.base),
                   FindFailure(entry.first.c_str()) ? "fails" : "passes");
    }
    if (g_pszFault)
        printf("probe: fault %s%s%s k=%ld %s\n", g_pszFault, g_pszVariant ? "/" : "", g_pszVariant ? g_pszVariant : "",
               static_cast<long>(g_nFaultK), bHit ? "hit" : "missed");
}


void InstallStubs(HMODULE module)
{
    std::vector<std::pair<std::string, void**>> slots;
    ForEachImport(module, [&](const char*, const char* name, void** slot) { slots.emplace_back(name, slot); });
    auto* stubs = static_cast<Stub*>(
        VirtualAlloc(nullptr, slots.size() * sizeof(Stub), MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    for (size_t i = 0; i < slots.size(); ++i) {
        Counter* counter = CounterFor(slots[i].first);
        stubs[i].next = *slots[i].second;
        stubs[i].setLastError = SystemFunction<void*>("kernel32.dll", "SetLastError");
        WriteStub(&stubs[i], counter, FindFailure(slots[i].first.c_str()));
        RedirectImport(module, slots[i].first.c_str(), &stubs[i]);
    }
    FlushInstructionCache(GetCurrentProcess(), stubs, slots.size() * sizeof(Stub));
}

// What the plug-in made through its own imports and has not released, per kind: each
// object by its handle (a timer by its window and ID), with what it is (its creator's
// name or size argument), so that a run's leftovers are matched with the clean run's by
// what they are, not only counted.
enum Kind { kHandles, kViews, kBlocks, kModules, kHooks, kTimers, kClasses, kTls, kKinds };
const char* const kKindNames[kKinds] = {"handles", "views", "blocks", "modules", "hooks", "timers", "classes", "tls"};
using ObjectKey = std::pair<uintptr_t, uintptr_t>;
std::multimap<ObjectKey, std::string> g_live[kKinds];

#define REAL(module, fn) SystemFunction<decltype(&fn)>(#module ".dll", #fn)

ObjectKey KeyOf(const void* p, uintptr_t owner = 0)
{
    return {owner, reinterpret_cast<uintptr_t>(p)};
}

// A module handed out again is one more reference to it. Any other object handed out at
// a place still listed was released where the probe does not see (a block the plug-in
// gives a peer, which frees it with its own allocator): the new object replaces it.
void Keep(Kind kind, const void* p, const std::string& what, uintptr_t owner = 0)
{
    if (!p || p == INVALID_HANDLE_VALUE)
        return;
    if (kind != kModules)
        g_live[kind].erase(KeyOf(p, owner));
    g_live[kind].emplace(KeyOf(p, owner), what);
}

void Forget(Kind kind, const ObjectKey& key)
{
    const auto it = g_live[kind].find(key);
    if (it != g_live[kind].end())
        g_live[kind].erase(it);
}

void Release(Kind kind, const void* p, uintptr_t owner = 0)
{
    Forget(kind, KeyOf(p, owner));
}

std::string BaseName(const char* path)
{
    if (!path)
        return "unnamed";
    const char* slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

std::string Narrow(const wchar_t* text)
{
    std::string narrow;
    for (; text && *text; ++text)
        narrow += static_cast<char>(*text < 128 ? *text : '?');
    return text ? narrow : "unnamed";
}

HANDLE WINAPI TrackCreateFileA(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g)
{
    HANDLE h = REAL(kernel32, CreateFileA)(a, b, c, d, e, f, g);
    Keep(kHandles, h, "file " + BaseName(a));
    return h;
}

// A "squatted" named creator finds its name taken by an object of another kind (the
// mutex and the semaphore) or of a smaller size (the section), made here first and kept
// for the process's life, and answers what the system answers then.
void SquatName(const char* function, const char* name, HANDLE (*squat)(const char*))
{
    if (VariantCall(function, "squatted") && name)
        squat(name);
}

HANDLE SquatWithSemaphore(const char* name)
{
    return REAL(kernel32, CreateSemaphoreA)(nullptr, 0, 1, name);
}

HANDLE SquatWithMutex(const char* name)
{
    return REAL(kernel32, CreateMutexA)(nullptr, FALSE, name);
}

HANDLE SquatWithSmallSection(const char* name)
{
    return REAL(kernel32, CreateFileMappingA)(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, name);
}

HANDLE WINAPI TrackCreateMutexA(LPSECURITY_ATTRIBUTES a, BOOL b, LPCSTR c)
{
    SquatName("CreateMutexA", c, &SquatWithSemaphore);
    HANDLE h = REAL(kernel32, CreateMutexA)(a, b, c);
    Keep(kHandles, h, "mutex " + BaseName(c));
    return h;
}

HANDLE WINAPI TrackCreateFileMappingA(HANDLE a, LPSECURITY_ATTRIBUTES b, DWORD c, DWORD d, DWORD e, LPCSTR f)
{
    SquatName("CreateFileMappingA", f, &SquatWithSmallSection);
    HANDLE h = REAL(kernel32, CreateFileMappingA)(a, b, c, d, e, f);
    Keep(kHandles, h, "mapping " + BaseName(f));
    return h;
}

HANDLE WINAPI TrackCreateSemaphoreW(LPSECURITY_ATTRIBUTES a, LONG b, LONG c, LPCWSTR d)
{
    if (d)
        SquatName("CreateSemaphoreW", Narrow(d).c_str(), &SquatWithMutex);
    HANDLE h = REAL(kernel32, CreateSemaphoreW)(a, b, c, d);
    Keep(kHandles, h, "semaphore " + Narrow(d));
    return h;
}

// "timeout": the wait gives up at once; "abandoned": the wait succeeds and says the
// previous owner ended while holding the mutex.
DWORD WINAPI TrackWaitForSingleObject(HANDLE h, DWORD ms)
{
    if (VariantCall("WaitForSingleObject", "timeout"))
        return WAIT_TIMEOUT;
    const bool bAbandoned = VariantCall("WaitForSingleObject", "abandoned");
    const DWORD result = REAL(kernel32, WaitForSingleObject)(h, ms);
    return bAbandoned && result == WAIT_OBJECT_0 ? WAIT_ABANDONED : result;
}

// "truncated": the answer for a path longer than the buffer, the buffer filled and cut
// (the directory of the real path, then a folder name that does not fit).
DWORD WINAPI TrackGetModuleFileNameA(HMODULE module, LPSTR path, DWORD size)
{
    const DWORD length = REAL(kernel32, GetModuleFileNameA)(module, path, size);
    if (!VariantCall("GetModuleFileNameA", "truncated") || !size || !length)
        return length;
    char* slash = strrchr(path, '\\');
    char* fill = slash ? slash + 1 : path;
    memset(fill, 'x', path + size - 1 - fill);
    path[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

// "truncated": the directory does not fit: the size it needs, nothing written.
DWORD WINAPI TrackGetCurrentDirectoryA(DWORD size, LPSTR directory)
{
    if (VariantCall("GetCurrentDirectoryA", "truncated"))
        return size + 40;
    return REAL(kernel32, GetCurrentDirectoryA)(size, directory);
}

BOOL WINAPI TrackCloseHandle(HANDLE h)
{
    Release(kHandles, h);
    return REAL(kernel32, CloseHandle)(h);
}

LPVOID WINAPI TrackMapViewOfFile(HANDLE a, DWORD b, DWORD c, DWORD d, SIZE_T e)
{
    LPVOID p = REAL(kernel32, MapViewOfFile)(a, b, c, d, e);
    Keep(kViews, p, "view " + std::to_string(e));
    return p;
}

BOOL WINAPI TrackUnmapViewOfFile(LPCVOID p)
{
    Release(kViews, p);
    return REAL(kernel32, UnmapViewOfFile)(p);
}

HMODULE WINAPI TrackLoadLibraryA(LPCSTR name)
{
    HMODULE module = REAL(kernel32, LoadLibraryA)(name);
    Keep(kModules, module, "module " + BaseName(name));
    return module;
}

std::string ModuleName(HMODULE module)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    return "module " + BaseName(path);
}

BOOL WINAPI TrackGetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* module)
{
    const BOOL bFound = REAL(kernel32, GetModuleHandleExA)(flags, name, module);
    if (bFound && module && !(flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT))
        Keep(kModules, *module, ModuleName(*module));
    return bFound;
}

BOOL WINAPI TrackFreeLibrary(HMODULE module)
{
    Release(kModules, module);
    return REAL(kernel32, FreeLibrary)(module);
}

HINSTANCE WINAPI TrackCoLoadLibrary(LPOLESTR name, BOOL bAutoFree)
{
    HINSTANCE module = REAL(ole32, CoLoadLibrary)(name, bAutoFree);
    Keep(kModules, module, "module " + BaseName(Narrow(name).c_str()));
    return module;
}

void WINAPI TrackCoFreeLibrary(HINSTANCE module)
{
    Release(kModules, module);
    REAL(ole32, CoFreeLibrary)(module);
}

HHOOK WINAPI TrackSetWindowsHookExA(int type, HOOKPROC proc, HINSTANCE module, DWORD thread)
{
    HHOOK hook = REAL(user32, SetWindowsHookExA)(type, proc, module, thread);
    Keep(kHooks, hook, "hook " + std::to_string(type));
    return hook;
}

BOOL WINAPI TrackUnhookWindowsHookEx(HHOOK hook)
{
    Release(kHooks, hook);
    return REAL(user32, UnhookWindowsHookEx)(hook);
}

// A window's timer is known by its window and ID; a thread timer by the ID it was given.
UINT_PTR WINAPI TrackSetTimer(HWND hWnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    const UINT_PTR made = REAL(user32, SetTimer)(hWnd, id, elapse, proc);
    Keep(kTimers, reinterpret_cast<void*>(made && hWnd ? id : made), hWnd ? "timer " + std::to_string(id) : "thread timer",
         reinterpret_cast<uintptr_t>(hWnd));
    return made;
}

BOOL WINAPI TrackKillTimer(HWND hWnd, UINT_PTR id)
{
    Release(kTimers, reinterpret_cast<void*>(id), reinterpret_cast<uintptr_t>(hWnd));
    return REAL(user32, KillTimer)(hWnd, id);
}

// A class by its name, which is how it is unregistered.
const void* ClassKey(LPCSTR name)
{
    if (IS_INTRESOURCE(name))
        return name;
    return reinterpret_cast<const void*>(std::hash<std::string>()(name) | 1);
}

ATOM WINAPI TrackRegisterClassA(const WNDCLASSA* wc)
{
    const ATOM atom = REAL(user32, RegisterClassA)(wc);
    if (atom)
        Keep(kClasses, ClassKey(wc->lpszClassName), "class " + BaseName(wc->lpszClassName));
    return atom;
}

BOOL WINAPI TrackUnregisterClassA(LPCSTR name, HINSTANCE instance)
{
    const BOOL bDone = REAL(user32, UnregisterClassA)(name, instance);
    if (bDone)
        Release(kClasses, ClassKey(name));
    return bDone;
}

// Slot 0 is a valid index: slots are kept as index + 1.
DWORD WINAPI TrackTlsAlloc()
{
    const DWORD index = REAL(kernel32, TlsAlloc)();
    if (index != TLS_OUT_OF_INDEXES)
        Keep(kTls, reinterpret_cast<void*>(static_cast<uintptr_t>(index) + 1), "tls slot");
    return index;
}

BOOL WINAPI TrackTlsFree(DWORD index)
{
    Release(kTls, reinterpret_cast<void*>(static_cast<uintptr_t>(index) + 1));
    return REAL(kernel32, TlsFree)(index);
}

void* __cdecl TrackMalloc(size_t n)
{
    void* p = malloc(n);
    Keep(kBlocks, p, "block " + std::to_string(n));
    return p;
}

void* __cdecl TrackCalloc(size_t n, size_t size)
{
    void* p = calloc(n, size);
    Keep(kBlocks, p, "block " + std::to_string(n * size));
    return p;
}

void* __cdecl TrackRealloc(void* old, size_t n)
{
    const ObjectKey oldKey = KeyOf(old);
    void* p = realloc(old, n);
    if (p || !n)
        Forget(kBlocks, oldKey);
    Keep(kBlocks, p, "block " + std::to_string(n));
    return p;
}

void __cdecl TrackFree(void* p)
{
    Release(kBlocks, p);
    free(p);
}

int WINAPI TrackMessageBoxA(HWND hWnd, LPCSTR text, LPCSTR caption, UINT type)
{
    printf("probe: message box %s\n", text ? text : "");
    return REAL(user32, MessageBoxA)(hWnd, text, caption, type);
}

const std::pair<const char*, void*> kTrackers[] = {
    {"CreateFileA", reinterpret_cast<void*>(&TrackCreateFileA)},
    {"CreateMutexA", reinterpret_cast<void*>(&TrackCreateMutexA)},
    {"CreateFileMappingA", reinterpret_cast<void*>(&TrackCreateFileMappingA)},
    {"CreateSemaphoreW", reinterpret_cast<void*>(&TrackCreateSemaphoreW)},
    {"CloseHandle", reinterpret_cast<void*>(&TrackCloseHandle)},
    {"WaitForSingleObject", reinterpret_cast<void*>(&TrackWaitForSingleObject)},
    {"GetModuleFileNameA", reinterpret_cast<void*>(&TrackGetModuleFileNameA)},
    {"GetCurrentDirectoryA", reinterpret_cast<void*>(&TrackGetCurrentDirectoryA)},
    {"MapViewOfFile", reinterpret_cast<void*>(&TrackMapViewOfFile)},
    {"UnmapViewOfFile", reinterpret_cast<void*>(&TrackUnmapViewOfFile)},
    {"malloc", reinterpret_cast<void*>(&TrackMalloc)},
    {"calloc", reinterpret_cast<void*>(&TrackCalloc)},
    {"realloc", reinterpret_cast<void*>(&TrackRealloc)},
    {"free", reinterpret_cast<void*>(&TrackFree)},
    {"LoadLibraryA", reinterpret_cast<void*>(&TrackLoadLibraryA)},
    {"GetModuleHandleExA", reinterpret_cast<void*>(&TrackGetModuleHandleExA)},
    {"FreeLibrary", reinterpret_cast<void*>(&TrackFreeLibrary)},
    {"CoLoadLibrary", reinterpret_cast<void*>(&TrackCoLoadLibrary)},
    {"CoFreeLibrary", reinterpret_cast<void*>(&TrackCoFreeLibrary)},
    {"SetWindowsHookExA", reinterpret_cast<void*>(&TrackSetWindowsHookExA)},
    {"UnhookWindowsHookEx", reinterpret_cast<void*>(&TrackUnhookWindowsHookEx)},
    {"SetTimer", reinterpret_cast<void*>(&TrackSetTimer)},
    {"KillTimer", reinterpret_cast<void*>(&TrackKillTimer)},
    {"RegisterClassA", reinterpret_cast<void*>(&TrackRegisterClassA)},
    {"UnregisterClassA", reinterpret_cast<void*>(&TrackUnregisterClassA)},
    {"TlsAlloc", reinterpret_cast<void*>(&TrackTlsAlloc)},
    {"TlsFree", reinterpret_cast<void*>(&TrackTlsFree)},
    {"MessageBoxA", reinterpret_cast<void*>(&TrackMessageBoxA)},
};

// Lives as long as the process: its redirections are in the plug-in's image, which may be
// gone before static destruction.
GdiObjectCounter* g_gdi = nullptr;

void InstallRedirections(HMODULE module)
{
    g_gdi = new GdiObjectCounter(module);
    for (const auto& tracker : kTrackers)
        RedirectImport(module, tracker.first, tracker.second);
    InstallStubs(module);
}

// The plug-in's image while it is mapped: a first-chance exception raised inside it is
// one of its own faults, even when the loader's handler turns it into a failed load or a
// quiet unload. Exceptions in other modules (the system's, peers' under a guarded call)
// are not the plug-in's.
uintptr_t g_imageBegin = 0;
uintptr_t g_imageEnd = 0;

LONG CALLBACK OnFirstChance(EXCEPTION_POINTERS* info)
{
    const auto at = reinterpret_cast<uintptr_t>(info->ExceptionRecord->ExceptionAddress);
    if (at >= g_imageBegin && at < g_imageEnd)
        printf("probe: exception code=0x%08lx at image+0x%llx\n",
               static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
               static_cast<unsigned long long>(at - g_imageBegin));
    return EXCEPTION_CONTINUE_SEARCH;
}

// The plug-in's entry point, with the jump planted over its first bytes.
struct EntryPatch {
    BYTE* entry = nullptr;
    BYTE saved[16];
    HMODULE module = nullptr;
};
EntryPatch g_patch;

#ifdef _WIN64
constexpr size_t kJumpSize = 12;  // mov rax, imm64; jmp rax
#else
constexpr size_t kJumpSize = 7;  // mov eax, imm32; jmp eax
#endif

void WriteCode(BYTE* at, const BYTE* bytes, size_t size)
{
    DWORD old = 0;
    VirtualProtect(at, size, PAGE_EXECUTE_READWRITE, &old);
    memcpy(at, bytes, size);
    VirtualProtect(at, size, old, &old);
    FlushInstructionCache(GetCurrentProcess(), at, size);
}

using EntryFn = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

BOOL WINAPI EnterPlugIn(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    WriteCode(g_patch.entry, g_patch.saved, kJumpSize);
    InstallRedirections(g_patch.module);
    return reinterpret_cast<EntryFn>(g_patch.entry)(instance, reason, reserved);
}

void PlantEntryJump(HMODULE module)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    g_patch.module = module;
    g_patch.entry = base + nt->OptionalHeader.AddressOfEntryPoint;
    g_imageBegin = reinterpret_cast<uintptr_t>(base);
    g_imageEnd = g_imageBegin + nt->OptionalHeader.SizeOfImage;
    memcpy(g_patch.saved, g_patch.entry, kJumpSize);
    BYTE jump[kJumpSize];
    const uintptr_t target = reinterpret_cast<uintptr_t>(&EnterPlugIn);
#ifdef _WIN64
    jump[0] = 0x48;
    jump[1] = 0xB8;
    memcpy(jump + 2, &target, 8);
    jump[10] = 0xFF;
    jump[11] = 0xE0;
#else
    jump[0] = 0xB8;
    memcpy(jump + 1, &target, 4);
    jump[5] = 0xFF;
    jump[6] = 0xE0;
#endif
    WriteCode(g_patch.entry, jump, kJumpSize);
}

struct LoaderString {
    USHORT length;
    USHORT maximumLength;
    PCWSTR buffer;
};
struct LoadedData {
    ULONG flags;
    const LoaderString* fullName;
    const LoaderString* baseName;
    PVOID base;
    ULONG size;
};
using NotificationFn = VOID(CALLBACK*)(ULONG, const LoadedData*, PVOID);
using RegisterFn = LONG(NTAPI*)(ULONG, NotificationFn, PVOID, PVOID*);

VOID CALLBACK OnDllNotification(ULONG reason, const LoadedData* data, PVOID)
{
    const ULONG kLoaded = 1;
    if (_wcsicmp(data->baseName->buffer, L"ZRKTempDll.dll"))
        return;
    if (reason == kLoaded && !g_patch.entry)
        PlantEntryJump(static_cast<HMODULE>(data->base));
    else if (reason != kLoaded)
        g_imageBegin = g_imageEnd = 0;
}

bool WatchLoads()
{
    auto reg = SystemFunction<RegisterFn>("ntdll.dll", "LdrRegisterDllNotification");
    PVOID cookie = nullptr;
    return reg && reg(0, &OnDllNotification, nullptr, &cookie) == 0;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

struct Live {
    int gdi = 0, windows = 0;
    int kinds[kKinds] = {};
};

// A window's timers end with it.
void ForgetTimersOfGoneWindows()
{
    auto& timers = g_live[kTimers];
    for (auto it = timers.begin(); it != timers.end();)
        it = it->first.first && !IsWindow(reinterpret_cast<HWND>(it->first.first)) ? timers.erase(it) : std::next(it);
}

Live Measure()
{
    ForgetTimersOfGoneWindows();
    Live live;
    live.gdi = g_gdi ? static_cast<int>(g_gdi->Live()) : 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&live.windows));
    for (int kind = 0; kind < kKinds; ++kind)
        live.kinds[kind] = static_cast<int>(g_live[kind].size());
    return live;
}

void PrintResidue(const char* when, const Live& before)
{
    const Live after = Measure();
    printf("probe: %s gdi=%d windows=%d", when, after.gdi - before.gdi, after.windows - before.windows);
    for (int kind = 0; kind < kKinds; ++kind)
        printf(" %s=%d", kKindNames[kind], after.kinds[kind] - before.kinds[kind]);
    printf("\n");
}

// What stays made by the plug-in after its free, one line per object.
void PrintKept()
{
    for (const auto& live : g_live)
        for (const auto& object : live)
            printf("probe: kept %s\n", object.second.c_str());
}

// Scripted player of the skinned window, on a thread timer its modal loop dispatches:
// the pointer rests on the OpenGL button until its tip shows, then clicks pick OpenGL,
// full screen, then OK until the window closes (a failed call may lose a click). Each
// step moves the display's pointer to the button's place on the screen and presses
// there, through the system's hardware input: hit-testing, the window's region and the
// z-order decide which window gets it, so a window the player cannot use is not used.
struct ScriptStep {
    POINT pt;  // in the window's client area
    bool bClick;
    DWORD nRestMs;  // before the next step
};
const ScriptStep kScript[] = {
    {{213, 272}, false, 800}, {{213, 272}, true, 0}, {{74, 239}, true, 0}, {{525, 338}, true, 0}};
int g_nScriptStep = 0;
DWORD g_nRestStart = 0;
DWORD g_nRestMs = 0;

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM found)
{
    char name[16] = {};
    GetClassNameA(hWnd, name, sizeof name);
    const auto instance = reinterpret_cast<HMODULE>(GetWindowLongPtrA(hWnd, GWLP_HINSTANCE));
    if (!strcmp(name, "#32770") && IsWindowVisible(hWnd) && instance == g_patch.module) {
        *reinterpret_cast<HWND*>(found) = hWnd;
        return FALSE;
    }
    return TRUE;
}

// A screen point as absolute pointer input: 0..65535 across the primary screen.
INPUT PointerAt(POINT screen, DWORD flags)
{
    const auto scale = [](LONG at, int size) { return static_cast<LONG>((at * 65536LL + size - 1) / size); };
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = scale(screen.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = scale(screen.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    return input;
}

INPUT Key(WORD key, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    return input;
}

void Click(POINT screen)
{
    INPUT inputs[] = {PointerAt(screen, 0), PointerAt(screen, MOUSEEVENTF_LEFTDOWN),
                      PointerAt(screen, MOUSEEVENTF_LEFTUP)};
    SendInput(3, inputs, sizeof(INPUT));
}

// Whether a press at a screen point lands on the window.
bool Reaches(HWND hDialog, POINT screen)
{
    HWND hit = WindowFromPoint(screen);
    return hit == hDialog || IsChild(hDialog, hit);
}

// OK out of reach: a click on the window's middle makes it the active one, and Enter.
void ConfirmWithEnter(HWND hDialog)
{
    RECT rect;
    GetWindowRect(hDialog, &rect);
    Click({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    INPUT enter[] = {Key(VK_RETURN, 0), Key(VK_RETURN, KEYEVENTF_KEYUP)};
    SendInput(2, enter, sizeof(INPUT));
}

void PlayStep(HWND hDialog, const ScriptStep& step, bool bConfirms)
{
    POINT screen = step.pt;
    ClientToScreen(hDialog, &screen);
    if (bConfirms && !Reaches(hDialog, screen)) {
        ConfirmWithEnter(hDialog);
    } else if (step.bClick) {
        Click(screen);
    } else {
        INPUT move = PointerAt(screen, 0);
        SendInput(1, &move, sizeof(INPUT));
    }
}

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND hDialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&hDialog));
    if (!hDialog || GetTickCount() - g_nRestStart < g_nRestMs)
        return;
    const int nLast = static_cast<int>(std::size(kScript)) - 1;
    const int nStep = g_nScriptStep < nLast ? g_nScriptStep++ : nLast;
    const ScriptStep& step = kScript[nStep];
    PlayStep(hDialog, step, nStep == nLast);
    g_nRestStart = GetTickCount();
    g_nRestMs = step.nRestMs;
}

template <typename Fn>
Fn Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The record's fields in the device table's order.
void PrintRecord(HMODULE module)
{
    const DeviceConfig* record = Export<DeviceConfig*(__cdecl*)()>(module, "LoadConfig")();
    printf("probe: record");
#define PRINT_DEVICE_FIELD(field, defaultValue) printf(" %ld", static_cast<long>(record->field));
    DEVICE_CONFIG_ROWS(PRINT_DEVICE_FIELD)
#undef PRINT_DEVICE_FIELD
    printf("\n");
}

HWND MakeClientWindow()
{
    return CreateWindowExA(0, "STATIC", "client", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 480, 320, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

std::string Hex(const void* bytes, size_t size)
{
    std::string text;
    char digits[3];
    for (size_t i = 0; i < size; ++i) {
        snprintf(digits, sizeof digits, "%02x", static_cast<const BYTE*>(bytes)[i]);
        text += digits;
    }
    return text;
}

// The queue's records as a reader outside the plug-in sees them, each its length and
// a hash of its bytes.
void PrintQueue()
{
    CKernelHandle section(OpenFileMappingA(FILE_MAP_READ, FALSE, SharedMemoryChannel::SectionName("Client").c_str()));
    printf("probe: queue section %s\n", section.Get() ? "present" : "absent");
    if (!section.Get())
        return;
    const auto* block = static_cast<const uint8_t*>(MapViewOfFile(section.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!block)
        return;
    MEMORY_BASIC_INFORMATION view = {};
    VirtualQuery(block, &view, sizeof view);
    QueueSection::ForEachRecord(block, view.RegionSize, [](const uint8_t* data, int32_t length) {
        uint64_t hash = 14695981039346656037ull;
        for (int32_t i = 0; i < length; ++i)
            hash = (hash ^ data[i]) * 1099511628211ull;
        printf("probe: queued %ld bytes hash=%016llx\n", static_cast<long>(length),
               static_cast<unsigned long long>(hash));
    });
    UnmapViewOfFile(block);
}

// Runs one export scenario between Arm and Disarm.
void RunExport(HMODULE module, const std::string& scenario, DialogWatcher& watcher)
{
    HWND hWnd = MakeClientWindow();
    auto createMenu = Export<void(__cdecl*)(HWND)>(module, "CreateRPopupMenu");
    auto onRButton = Export<void(__cdecl*)(int32_t, int32_t)>(module, "OnRButton");
    if (scenario == "OnRButton" || scenario == "post") {
        createMenu(hWnd);
        watcher.PickMenuItem(scenario == "post" ? 1 : 0);
    }
    const Live before = Measure();
    Arm();
    if (scenario == "LoadConfig") {
        Export<DeviceConfig*(__cdecl*)()>(module, "LoadConfig")();
    } else if (scenario == "TransferPointer") {
        void* pCoreHost = nullptr;
        Export<void(__cdecl*)(int32_t, void**)>(module, "TransferPointer")(20041009, &pCoreHost);
        printf("probe: core host %s\n", pCoreHost ? "given" : "null");
    } else if (scenario == "GetSpeakInfo") {
        auto getSpeakInfo = Export<HRESULT(__cdecl*)(int32_t, int32_t, char**)>(module, "GetSpeakInfo");
        for (int i = 0; i < 3; ++i) {
            char buffer[4096] = "";
            char* pBuffer = buffer;
            const HRESULT hr = getSpeakInfo(i, 0, &pBuffer);
            printf("probe: speak %d hr=0x%08lx %s text=%s\n", i, static_cast<unsigned long>(hr),
                   pBuffer == buffer ? "same" : "moved", Hex(buffer, strnlen(buffer, sizeof buffer)).c_str());
        }
    } else if (scenario == "CreateRPopupMenu") {
        createMenu(hWnd);
    } else {
        onRButton(40, 30);
    }
    Disarm();
    if (scenario == "post")
        PrintQueue();
    PrintResidue("left", before);
    DestroyWindow(hWnd);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info)
{
    printf("probe: crash code=0x%08lx at %p\n", static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
           info->ExceptionRecord->ExceptionAddress);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

HMODULE LoadPlugIn(bool bArmed, const Live& before)
{
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &ScriptTick);
    if (bArmed)
        Arm();
    HMODULE module = LoadLibraryA("ZRKTempDll.dll");
    const DWORD error = GetLastError();  // 1114: the entry point said no; else it raised
    if (bArmed) {
        Disarm();
        PrintResidue("left", before);
    }
    KillTimer(nullptr, timer);
    if (module)
        printf("probe: load ok\n");
    else
        printf("probe: load failed error=%lu\n", static_cast<unsigned long>(error));
    if (!g_patch.entry)
        printf("probe: the plug-in's load was not seen\n");
    return module;
}

// Every scenario ends with the plug-in freed and what it left since before its load.
int Run(const std::string& scenario)
{
    DialogWatcher watcher;
    watcher.Start();
    const Live beforeLoad = Measure();
    HMODULE module = LoadPlugIn(scenario == "startup" || g_bFaultInLoad, beforeLoad);
    if (g_bFaultInLoad)
        g_pszFault = g_pszVariant = nullptr;
    if (module) {
        PrintRecord(module);
        if (scenario == "shutdown") {
            const Live before = Measure();
            Arm();
            FreeLibrary(module);
            Disarm();
            PrintResidue("left", before);
        } else {
            if (scenario != "startup")
                RunExport(module, scenario, watcher);
            FreeLibrary(module);
        }
    }
    PrintResidue("residue", beforeLoad);
    PrintKept();
    watcher.Stop();
    printf("probe: done\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(&OnCrash);
    AddVectoredExceptionHandler(1, &OnFirstChance);
    if (argc < 2 || !WatchLoads()) {
        printf("probe: usage: fault_probe SCENARIO [FUNCTION K], and a loader that reports loads\n");
        return 2;
    }
    if (argc >= 4) {
        g_pszFault = argv[2];
        char* slash = strchr(argv[2], '/');
        if (slash) {
            *slash = '\0';
            g_pszVariant = slash + 1;
        }
        g_nFaultK = atol(argv[3]);
        g_bFaultInLoad = argc >= 5 && !strcmp(argv[4], "load");
    }
    return Run(argv[1]);
}
