#include "app/HelpLibrary.h"

#include "app/ModuleDirectory.h"
#include "app/OutsideCall.h"
#include "app/ProcAddress.h"

HelpLibrary::HelpLibrary(HMODULE hLibrary, CGameZip* pGameZip) : m_hLibrary(hLibrary), m_pGameZip(pGameZip) {}

bool HelpLibrary::Bind(const CString& directory)
{
    Release();
    m_hLibrary = LoadLibraryBeside(directory, "..\\Orvalt.dll");
    if (!m_hLibrary)
        return false;
    auto pfnGetGameZipPtr = ProcAddress<GetGameZipPtrFn>(m_hLibrary, "GetGameZipPtr");
    if (!pfnGetGameZipPtr) {
        Release();  // a freed handle is not kept
        return false;
    }
    CGameZip* pGameZip = nullptr;
    if (!CallOutside([&] { pGameZip = pfnGetGameZipPtr(); }))
        return true;  // bound without an archive: the library stays, its code may still run
    m_pGameZip = pGameZip;
    return true;
}

void HelpLibrary::Release()
{
    if (m_hLibrary)
        FreeLibrary(m_hLibrary);
    m_hLibrary = nullptr;
    m_pGameZip = nullptr;
}
