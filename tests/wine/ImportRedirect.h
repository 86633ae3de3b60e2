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

// Calls visit(dll, name, slot) for every import by name of module, in table order.
template <typename Visit>
void ForEachImport(HMODULE module, Visit visit);

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

template <typename Visit>
void ForEachImport(HMODULE module, Visit visit)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; desc->Name; ++desc) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            visit(reinterpret_cast<const char*>(base + desc->Name), reinterpret_cast<const char*>(byName->Name),
                  reinterpret_cast<void**>(&slots->u1.Function));
        }
    }
}
