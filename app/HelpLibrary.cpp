#include "app/HelpLibrary.h"

#include "app/ComponentFiles.h"
#include "app/ModuleDirectory.h"
#include "app/OutsideCall.h"
#include "app/ProcAddress.h"
#include "framework/LoadedLibrary.h"

#include <utility>

HelpLibrary::HelpLibrary(HMODULE hLibrary, CGameZip* pGameZip) : m_hLibrary(hLibrary), m_pGameZip(pGameZip) {}

bool HelpLibrary::Bind(const CString& directory)
{
    Release();
    CLoadedLibrary library(LoadLibraryBeside(directory, ComponentFiles::kHelpLibrary));
    if (!library)
        return false;
    auto pfnGetGameZipPtr = ProcAddress<GetGameZipPtrFn>(library.Get(), kGetGameZipPtrName);
    if (!pfnGetGameZipPtr)
        return false;  // the library goes with its owner
    m_hLibrary = library.Detach();  // stays loaded: its archive lives in it
    CGameZip* pGameZip = nullptr;
    if (!CallOutside([&] { pGameZip = pfnGetGameZipPtr(); }))
        return true;  // bound without an archive: the library stays, its code may still run
    m_pGameZip = pGameZip;
    return true;
}

void HelpLibrary::Release()
{
    CLoadedLibrary bound(std::exchange(m_hLibrary, nullptr));  // freed here
    m_pGameZip = nullptr;
}
