// Redirects a module's imports of a system function: this executable's, through which
// the plug-in's code linked into the tests calls, or a loaded DLL's.
#pragma once

#include <windows.h>

// The system's own function, not this executable's (possibly redirected) import of it.
template <typename F>
F SystemFunction(const char* module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), name)));
}

// Points every import slot of name (from any DLL) in module at replacement; returns how
// many.
int RedirectImport(HMODULE module, const char* name, const void* replacement);

// A redirection for a scope: afterwards the slots point at module's own function.
class ScopedImportRedirect {
public:
    ScopedImportRedirect(const char* module, const char* name, const void* replacement);
    ~ScopedImportRedirect();
    ScopedImportRedirect(const ScopedImportRedirect&) = delete;
    ScopedImportRedirect& operator=(const ScopedImportRedirect&) = delete;

    // The slots rewritten; 0 when this executable does not import the function.
    int Slots() const { return m_nSlots; }

private:
    const char* m_pszModule;
    const char* m_pszName;
    int m_nSlots;
};
