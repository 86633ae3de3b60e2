// Loads the plug-in in a game folder, as a client does, and watches the C runtime
// blocks at its boundary with the help library while it asks for loudspeaker texts many
// times in a row: every malloc and free the plug-in makes through its imports, every
// free the help library makes, the runtime heap's consistency and use, and the help
// library's own string blocks. Prints what it saw, one "probe:" line per finding.
//   speak_probe.exe [calls]   (run from a game folder's Bin; default 10000 calls)
#include "client/PeerString.h"
#include "tests/wine/ImportRedirect.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using GetSpeakInfoFn = HRESULT(__cdecl*)(int32_t, int32_t, char**);
using GetStringStatsFn = void(__cdecl*)(PeerStringStats*);
using GetHeapHandleFn = intptr_t(__cdecl*)();

// The blocks the plug-in allocated that nobody has freed yet. A fixed table: the probe
// must not use the heap it measures while the calls run.
const int kMaxTracked = 1024;
void* g_tracked[kMaxTracked];
int g_nTracked = 0;
bool g_bOverflow = false;

long g_nPlugInAllocations = 0;
long g_nPlugInFrees = 0;
long g_nForeignFrees = 0;
void* g_pFirstForeign = nullptr;
long g_nArchiveFreesOfPlugInBlocks = 0;

void Track(void* p)
{
    if (!p)
        return;
    ++g_nPlugInAllocations;
    if (g_nTracked == kMaxTracked) {
        g_bOverflow = true;
        return;
    }
    g_tracked[g_nTracked++] = p;
}

bool Untrack(void* p)
{
    for (int i = 0; i < g_nTracked; ++i) {
        if (g_tracked[i] == p) {
            g_tracked[i] = g_tracked[--g_nTracked];
            return true;
        }
    }
    return false;
}

void NoteForeign(void* p)
{
    if (g_nForeignFrees++ == 0)
        g_pFirstForeign = p;
}

void* __cdecl PlugInMalloc(size_t nSize)
{
    void* p = malloc(nSize);
    Track(p);
    return p;
}

void __cdecl PlugInFree(void* p)
{
    if (!p)
        return;
    ++g_nPlugInFrees;
    if (!Untrack(p)) {
        NoteForeign(p);
        return;
    }
    free(p);
}

// The help library frees the plug-in's empty blocks when it assigns over them.
void __cdecl ArchiveFree(void* p)
{
    if (Untrack(p))
        ++g_nArchiveFreesOfPlugInBlocks;
    free(p);
}

struct Trap {
    const char* pszName;
    void* pfnHook;
};

// Points the module's import slots for the named C runtime functions at the hooks.
int PatchRuntimeImports(HMODULE hModule, const Trap* traps, int nTraps)
{
    int nPatched = 0;
    for (int i = 0; i < nTraps; ++i)
        nPatched += RedirectImport(hModule, traps[i].pszName, traps[i].pfnHook);
    return nPatched;
}

unsigned long BusyBytes(HANDLE hHeap)
{
    unsigned long nTotal = 0;
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(hHeap);
    while (HeapWalk(hHeap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            nTotal += entry.cbData;
    HeapUnlock(hHeap);
    return nTotal;
}

// Ten steps through the archive's ways of assigning: pool texts, a long text twice, a
// shared bulletin twice, an unknown message, an empty text.
const int32_t kCycle[] = {0, 5, 5, 2, 2, 99, 3, 4, 1, 2};
const int kCycleLength = sizeof kCycle / sizeof kCycle[0];
char g_expected[kCycleLength][1024];
char g_buffer[1024];

struct Findings {
    long nFailed = 0;
    long nMismatched = 0;
    unsigned long nBusyEarly = 0;
    long nLiveMin = LONG_MAX;
    long nLiveMax = LONG_MIN;
};

void RunCalls(int nCalls, GetSpeakInfoFn getSpeakInfo, GetStringStatsFn getStats, HANDLE hHeap, Findings& found)
{
    for (int i = 0; i < nCalls; ++i) {
        const int k = i % kCycleLength;
        char* pBuffer = g_buffer;
        g_buffer[0] = '\0';
        if (getSpeakInfo(kCycle[k], 0, &pBuffer) != S_OK)
            ++found.nFailed;
        if (i < kCycleLength)
            strcpy(g_expected[k], g_buffer);
        else if (strcmp(g_expected[k], g_buffer) != 0)
            ++found.nMismatched;
        if (i >= kCycleLength) {
            PeerStringStats stats = {};
            getStats(&stats);
            found.nLiveMin = stats.nLiveBlocks < found.nLiveMin ? stats.nLiveBlocks : found.nLiveMin;
            found.nLiveMax = stats.nLiveBlocks > found.nLiveMax ? stats.nLiveBlocks : found.nLiveMax;
        }
        if (i + 1 == nCalls / 10)
            found.nBusyEarly = BusyBytes(hHeap);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    const int nCalls = argc > 1 ? atoi(argv[1]) : 10000;
    HMODULE hPlugIn = LoadLibraryA("ZRKTempDll.dll");
    HMODULE hArchive = GetModuleHandleA("Orvalt.dll");
    auto getHeap = reinterpret_cast<GetHeapHandleFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "_get_heap_handle")));
    if (!hPlugIn || !hArchive || !getHeap) {
        printf("probe: plug-in %p, help library %p, runtime heap entry %p\n", static_cast<void*>(hPlugIn),
               static_cast<void*>(hArchive), reinterpret_cast<void*>(getHeap));
        return 1;
    }
    auto getSpeakInfo = reinterpret_cast<GetSpeakInfoFn>(reinterpret_cast<void*>(GetProcAddress(hPlugIn, "GetSpeakInfo")));
    auto getStats = reinterpret_cast<GetStringStatsFn>(reinterpret_cast<void*>(GetProcAddress(hArchive, "GetStringStats")));
    auto hHeap = reinterpret_cast<HANDLE>(getHeap());

    // Its other allocating imports (calloc, realloc, _strdup) have no part in the texts:
    // a free of their blocks would count as foreign.
    const Trap plugInTraps[] = {{"malloc", reinterpret_cast<void*>(PlugInMalloc)},
                                {"free", reinterpret_cast<void*>(PlugInFree)}};
    const Trap archiveTraps[] = {{"free", reinterpret_cast<void*>(ArchiveFree)}};
    printf("probe: trapped plug-in imports=%d help library imports=%d\n", PatchRuntimeImports(hPlugIn, plugInTraps, 2),
           PatchRuntimeImports(hArchive, archiveTraps, 1));

    Findings found;
    RunCalls(nCalls, getSpeakInfo, getStats, hHeap, found);
    const unsigned long nBusyLate = BusyBytes(hHeap);
    const BOOL bValid = HeapValidate(hHeap, 0, nullptr) && HeapValidate(GetProcessHeap(), 0, nullptr);
    PeerStringStats stats = {};
    getStats(&stats);

    printf("probe: calls=%d failed=%ld mismatched=%ld\n", nCalls, found.nFailed, found.nMismatched);
    printf("probe: plug-in allocations=%ld frees=%ld foreign frees=%ld first=%p overflow=%d\n",
           g_nPlugInAllocations, g_nPlugInFrees, g_nForeignFrees, g_pFirstForeign, g_bOverflow);
    printf("probe: help library frees of plug-in blocks=%ld\n", g_nArchiveFreesOfPlugInBlocks);
    printf("probe: heap valid=%d busy early=%lu late=%lu\n", bValid, found.nBusyEarly, nBusyLate);
    printf("probe: help library blocks live min=%ld max=%ld foreign pool blocks=%ld static releases=%ld "
           "empty refs=%ld\n",
           found.nLiveMin, found.nLiveMax, stats.nForeignPoolBlocks, stats.nStaticReleases, stats.nEmptyRefs);

    // The plug-in's own shutdown frees what start-up allocated, through the same trap.
    const long nFreesBefore = g_nPlugInFrees;
    FreeLibrary(hPlugIn);
    printf("probe: frees at unload=%ld\n", g_nPlugInFrees - nFreesBefore);
    return 0;
}
