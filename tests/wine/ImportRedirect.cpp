#include "tests/wine/ImportRedirect.h"

#include <cstring>

int RedirectImport(HMODULE module, const char* name, const void* replacement)
{
    int nSlots = 0;
    ForEachImport(module, [&](const char*, const char* imported, void** slot) {
        if (std::strcmp(imported, name) != 0)
            return;
        DWORD old = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
        *slot = const_cast<void*>(replacement);
        VirtualProtect(slot, sizeof *slot, old, &old);
        ++nSlots;
    });
    return nSlots;
}

ScopedImportRedirect::ScopedImportRedirect(const char* module, const char* name, const void* replacement)
    : m_pszModule(module), m_pszName(name), m_nSlots(RedirectImport(GetModuleHandleA(nullptr), name, replacement))
{
}

ScopedImportRedirect::~ScopedImportRedirect()
{
    RedirectImport(GetModuleHandleA(nullptr), m_pszName, SystemFunction<const void*>(m_pszModule, m_pszName));
}
