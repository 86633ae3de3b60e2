// Lean replacements for pieces of the static C++ runtime (and the exception globals'
// storage, below). The guards of function-local
// statics wait on the guard itself: the runtime's own make one process-wide recursive
// mutex, a semaphore that nothing ever closes, so every load and free of the plug-in
// would leave one behind. Two more pieces the plug-in would otherwise carry without
// using them (together some 110 KB of its DLL):
// - the verbose terminate handler, which brings the runtime's name demangler: every
//   export, window procedure and COM method catches all exceptions, so a terminate
//   means a broken invariant and ends the process at once;
// - the functions through which the standard containers report misuse (a length beyond
//   the maximum, an index out of range): the runtime's own versions
//   build std::logic_error and its relatives, whose message strings bring a second
//   string implementation and the error-category tables along. Here each throws a
//   small std::exception carrying the same message, which the firewalls catch alike.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <new>

namespace {

class RuntimeError : public std::exception {
public:
    explicit RuntimeError(const char* pszMessage) : m_pszMessage(pszMessage ? pszMessage : "runtime error") {}
    const char* what() const noexcept override { return m_pszMessage; }

private:
    const char* m_pszMessage;  // the runtime passes literals
};

}  // namespace

// The guard's first byte says "initialised" (the compiler's inline test reads it); the
// second says "being initialised", so one thread initialises and the others wait.
extern "C" int __cxa_guard_acquire(uint64_t* pGuard)
{
    char* pBytes = reinterpret_cast<char*>(pGuard);
    for (;;) {
        if (__atomic_load_n(&pBytes[0], __ATOMIC_ACQUIRE))
            return 0;
        char expected = 0;
        if (__atomic_compare_exchange_n(&pBytes[1], &expected, 1, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
            return 1;
        Sleep(0);
    }
}

extern "C" void __cxa_guard_release(uint64_t* pGuard)
{
    __atomic_store_n(&reinterpret_cast<char*>(pGuard)[0], 1, __ATOMIC_RELEASE);
}

// The initialiser threw: the next caller tries again.
extern "C" void __cxa_guard_abort(uint64_t* pGuard)
{
    __atomic_store_n(&reinterpret_cast<char*>(pGuard)[1], 0, __ATOMIC_RELEASE);
}

// Each thread's exception globals (the exceptions caught and not yet finished, the count
// of those thrown and not yet caught) live in a TLS slot of the plug-in's own, taken at
// load and given back with the freeing thread's block at unload; a thread that ends
// frees its block through the C runtime's thread-exit destructors. The runtime's keep
// them in emulated thread-local storage, whose lock is a semaphore made at the first
// exception of each load and never closed. Without a slot or a block, one process-wide
// record serves, as it did before threads.
extern "C" int __mingwthr_key_dtor(DWORD nKey, void (*destroy)(void*));
extern "C" int __mingwthr_remove_key_dtor(DWORD nKey);

namespace {

struct EhGlobals {
    void* pCaughtExceptions;
    unsigned int nUncaughtExceptions;
};

DWORD g_nEhSlot = TLS_OUT_OF_INDEXES;
EhGlobals g_sharedEhGlobals;

// Runs on the ending thread; its slot is emptied so that nothing frees the block twice.
void FreeThreadEhGlobals(void* pGlobals)
{
    free(pGlobals);
    TlsSetValue(g_nEhSlot, nullptr);
}

class EhGlobalsSlot {
public:
    EhGlobalsSlot()
    {
        const DWORD nSlot = TlsAlloc();
        if (nSlot != TLS_OUT_OF_INDEXES && __mingwthr_key_dtor(nSlot, &FreeThreadEhGlobals) == 0)
            g_nEhSlot = nSlot;
        else if (nSlot != TLS_OUT_OF_INDEXES)
            TlsFree(nSlot);
    }
    ~EhGlobalsSlot()
    {
        const DWORD nSlot = g_nEhSlot;
        if (nSlot == TLS_OUT_OF_INDEXES)
            return;
        __mingwthr_remove_key_dtor(nSlot);
        g_nEhSlot = TLS_OUT_OF_INDEXES;
        free(TlsGetValue(nSlot));
        TlsSetValue(nSlot, nullptr);
        TlsFree(nSlot);
    }
    EhGlobalsSlot(const EhGlobalsSlot&) = delete;
    EhGlobalsSlot& operator=(const EhGlobalsSlot&) = delete;
};
EhGlobalsSlot g_ehGlobalsSlot;

EhGlobals* ThreadEhGlobals()
{
    const DWORD nSlot = g_nEhSlot;
    if (nSlot == TLS_OUT_OF_INDEXES)
        return &g_sharedEhGlobals;
    auto* pGlobals = static_cast<EhGlobals*>(TlsGetValue(nSlot));
    if (pGlobals)
        return pGlobals;
    pGlobals = static_cast<EhGlobals*>(calloc(1, sizeof(EhGlobals)));
    if (pGlobals && TlsSetValue(nSlot, pGlobals))
        return pGlobals;
    free(pGlobals);
    return &g_sharedEhGlobals;
}

}  // namespace

extern "C" void* __cxa_get_globals() noexcept { return ThreadEhGlobals(); }
extern "C" void* __cxa_get_globals_fast() noexcept { return ThreadEhGlobals(); }

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw RuntimeError("bad cast"); }
void __throw_bad_typeid() { throw RuntimeError("bad typeid"); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char* pszMessage) { throw RuntimeError(pszMessage); }
void __throw_domain_error(const char* pszMessage) { throw RuntimeError(pszMessage); }
void __throw_invalid_argument(const char* pszMessage) { throw RuntimeError(pszMessage); }
void __throw_length_error(const char* pszMessage) { throw RuntimeError(pszMessage); }
void __throw_out_of_range(const char* pszMessage) { throw RuntimeError(pszMessage); }
// The format's arguments are left out: formatting them is what the runtime's version
// needs its own printf for.
void __throw_out_of_range_fmt(const char* pszFormat, ...) { throw RuntimeError(pszFormat); }
void __throw_runtime_error(const char* pszMessage) { throw RuntimeError(pszMessage); }
void __throw_range_error(const char* pszMessage) { throw RuntimeError(pszMessage); }
void __throw_overflow_error(const char* pszMessage) { throw RuntimeError(pszMessage); }
void __throw_underflow_error(const char* pszMessage) { throw RuntimeError(pszMessage); }

}  // namespace std
