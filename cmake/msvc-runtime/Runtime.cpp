// What the Microsoft compiler's own run-time library gives every image, for images built
// in its ABI without it: static constructors and destructors, the type_info table the
// RTTI records point at, and on x86 the load configuration that lists the safe exception
// handlers. The C library itself comes from msvcrt.dll.
#include "Runtime.h"

typedef void(__cdecl* InitFunction)();

// The compiler puts a pointer to each static constructor in .CRT$XCU; the linker sorts
// the sections by name, so these two bracket them.
#pragma section(".CRT$XCA", read)
#pragma section(".CRT$XCZ", read)
__declspec(allocate(".CRT$XCA")) static InitFunction firstInitializer = nullptr;
__declspec(allocate(".CRT$XCZ")) static InitFunction lastInitializer = nullptr;

namespace {
const int maxExitFunctions = 64;
InitFunction exitFunctions[maxExitFunctions];
int exitFunctionCount;
}

// The image's own list, run when the image ends (a DLL's detach, an EXE's return from
// main): msvcrt's would run them after this image's code is gone.
extern "C" int __cdecl atexit(InitFunction function)
{
    if (exitFunctionCount == maxExitFunctions)
        return -1;
    exitFunctions[exitFunctionCount++] = function;
    return 0;
}

void RunStaticConstructors()
{
    for (InitFunction* function = &firstInitializer + 1; function < &lastInitializer; ++function) {
        if (*function)
            (*function)();
    }
}

void RunExitFunctions()
{
    while (exitFunctionCount > 0)
        exitFunctions[--exitFunctionCount]();
}

// The C++ allocation operators on msvcrt's heap, as the framework's DLL has them.
void* operator new(size_t size)
{
    return malloc(size);
}

void* operator new[](size_t size)
{
    return malloc(size);
}

void operator delete(void* block) noexcept
{
    free(block);
}

void operator delete[](void* block) noexcept
{
    free(block);
}

// Floating-point code refers to this to pull in the C library's floating-point support.
extern "C" int _fltused = 0;

// The RTTI records of every polymorphic class point at type_info's table; nothing here
// calls through it.
extern "C" const void* const typeInfoTable[2] __asm__("??_7type_info@@6B@") = {nullptr, nullptr};

// Called when an exception leaves a noexcept function.
extern "C" void __std_terminate()
{
    abort();
}

#if defined(_M_IX86)
// Without this record lld marks an x86 image with exception handlers "no SEH", and
// Windows then refuses every handler it registers. The layout is the load configuration
// directory's first 72 bytes, up to the safe handler table, which the linker fills in.
extern "C" const void* __safe_se_handler_table[];
extern "C" const char __safe_se_handler_count;

struct LoadConfiguration {
    unsigned long size;
    unsigned long timeDateStamp;
    unsigned short majorVersion;
    unsigned short minorVersion;
    unsigned long globalFlags[2];
    unsigned long criticalSectionTimeout;
    unsigned long decommitThresholds[2];
    const void* lockPrefixTable;
    unsigned long maximumAllocationSize;
    unsigned long virtualMemoryThreshold;
    unsigned long processHeapFlags;
    unsigned long processAffinityMask;
    unsigned short csdVersion;
    unsigned short dependentLoadFlags;
    const void* editList;
    const void* securityCookie;
    const void* const* safeHandlerTable;
    const void* safeHandlerCount;
};
static_assert(sizeof(LoadConfiguration) == 72, "the x86 load configuration up to its handler count");

extern "C" const LoadConfiguration _load_config_used = {
    sizeof(LoadConfiguration), 0, 0, 0, {0, 0}, 0, {0, 0}, nullptr, 0, 0, 0, 0, 0, 0,
    nullptr, nullptr, __safe_se_handler_table, &__safe_se_handler_count,
};
#endif
