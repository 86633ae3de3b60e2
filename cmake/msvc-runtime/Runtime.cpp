// What the Microsoft compiler's own run-time library gives every image, for images built
// in its ABI without it: static constructors and destructors, the type_info table the
// RTTI records point at, and on x86 the load configuration that lists the safe exception
// handlers. The C library itself comes from msvcrt.dll.
#include "Runtime.h"

#include <stdio.h>

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

// mingw's <stdio.h> reaches stdin, stdout and stderr through this function; msvcrt.dll
// has the older array _iob (on x64 through __iob_func).
extern "C" FILE* __cdecl __acrt_iob_func(unsigned index)
{
    return &_iob[index];
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

#if defined(_M_X64)
// The stack probe the compiler calls before a frame of more than a page: touches each
// page from the top down (rax: the frame's size), so that the guard page grows the stack
// in order.
__asm__(R"(
    .text
    .globl __chkstk
__chkstk:
    pushq %rcx
    pushq %rax
    leaq 24(%rsp), %rcx
    cmpq $0x1000, %rax
    jb 2f
1:
    subq $0x1000, %rcx
    orq $0, (%rcx)
    subq $0x1000, %rax
    cmpq $0x1000, %rax
    ja 1b
2:
    subq %rax, %rcx
    orq $0, (%rcx)
    popq %rax
    popq %rcx
    retq
)");
#endif

#if defined(_M_IX86)
// x86's probe also allocates the frame: eax bytes below the caller's stack pointer, each
// page touched from the top down. The compiler's run-time library links it statically;
// msvcrt.dll's export of it is not one to rely on (Wine's is a stub).
__asm__(R"(
    .text
    .globl __chkstk
__chkstk:
    pushl %ecx
    leal 8(%esp), %ecx
    cmpl $0x1000, %eax
    jb 2f
1:
    subl $0x1000, %ecx
    orl $0, (%ecx)
    subl $0x1000, %eax
    cmpl $0x1000, %eax
    jae 1b
2:
    subl %eax, %ecx
    orl $0, (%ecx)
    movl %esp, %eax
    movl %ecx, %esp
    movl (%eax), %ecx
    pushl 4(%eax)
    retl
)");
#endif

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
