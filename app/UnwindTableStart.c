/* The start of ZRKTempDll.dll's unwind tables and their registration, linked in place of
 * the compiler's own start file of that name (see CMakeLists.txt). The compiler's version
 * first asks the system for a shared copy of the unwinder and registers the tables with it
 * when one is loaded: under Wine that question searches the whole library path on disk,
 * about a millisecond of every load, and the answer would be wrong for this DLL anyway,
 * whose throws are unwound by its own statically linked copy. The tables are registered
 * with that copy only. The compiler's end file ends the tables and calls the function
 * below first among the module's constructors. */
#include <stdlib.h>
#include <windows.h>

void __register_frame_info(const void* begin, void* object);
void* __deregister_frame_info(const void* begin);

/* The unwinder guards its registry with a semaphore of its own, made at the first
 * registration and never closed: one handle left behind by every load and free of the
 * DLL. The link wraps the image's import of CreateSemaphoreW (see UnwindTableStart.cmake),
 * so that the one made while registering is known, and closed once the tables are gone. */
typedef HANDLE(WINAPI* CreateSemaphoreFn)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR);

extern CreateSemaphoreFn importedCreateSemaphore __asm__("___real__imp__CreateSemaphoreW@16");

static int registering;
static HANDLE registrySemaphore;
static int exitQueued;

static HANDLE WINAPI CreateSemaphoreNoted(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum, LPCWSTR name)
{
    HANDLE semaphore = importedCreateSemaphore(attributes, initial, maximum, name);
    if (registering && !registrySemaphore)
        registrySemaphore = semaphore;
    return semaphore;
}

CreateSemaphoreFn wrappedCreateSemaphore __asm__("___wrap__imp__CreateSemaphoreW@16") = CreateSemaphoreNoted;

/* Placed first in the tables' section: this file is built without tables of its own. */
static char unwindTablesBegin[] __attribute__((section(".eh_frame"), aligned(4), used)) = {};

/* The unwinder's bookkeeping for this module: six words of its own, with room to spare. */
static void* unwindObject[8];

static void CloseRegistrySemaphore(void)
{
    if (registrySemaphore)
        CloseHandle(registrySemaphore);
    registrySemaphore = NULL;
}

/* Runs last of the module's exit functions: nothing unwinds through it afterwards. */
void __gcc_deregister_frame(void)
{
    __deregister_frame_info(unwindTablesBegin);
    CloseRegistrySemaphore();
}

void __gcc_register_frame(void)
{
    registering = 1;
    __register_frame_info(unwindTablesBegin, unwindObject);
    registering = 0;
    exitQueued = atexit(__gcc_deregister_frame) == 0;
}

/* For the DLL's entry point at an explicit unload: when the exit function above could not
 * be queued (no memory for the exit list), the semaphore is closed there instead. Only the
 * unloading thread runs the DLL's code by then, so nobody waits on it. */
void CloseUnwinderSemaphoreIfUnqueued(void)
{
    if (!exitQueued)
        CloseRegistrySemaphore();
}
