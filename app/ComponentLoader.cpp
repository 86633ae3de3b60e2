#include "app/ComponentLoader.h"

#include "app/OutsideCall.h"
#include "app/ProcAddress.h"

#include <objbase.h>

#include <cstring>
#include <vector>

namespace {

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// The narrow path in UTF-16 through the ANSI code page, terminator included.
std::vector<wchar_t> WidePath(const char* pszPath)
{
    int nNarrow = static_cast<int>(strlen(pszPath)) + 1;
    std::vector<wchar_t> wide(nNarrow);
    int nWide = MultiByteToWideChar(CP_ACP, 0, pszPath, nNarrow, wide.data(), nNarrow);
    if (nWide <= 0)
        wide.assign(1, L'\0');
    return wide;
}

}  // namespace

HINSTANCE LoadComponent(const char* pszPath, REFCLSID clsid, REFIID iid, void** ppOut)
{
    if (!ppOut || !pszPath)
        return nullptr;
    *ppOut = nullptr;
    std::vector<wchar_t> widePath = WidePath(pszPath);
    HINSTANCE hLibrary = CoLoadLibrary(widePath.data(), FALSE);
    if (!hLibrary)
        return nullptr;
    auto getClassObject = ProcAddress<DllGetClassObjectFn>(hLibrary, "DllGetClassObject");
    if (!getClassObject)
        return hLibrary;
    bool completed = CallOutside([&] {
        IClassFactory* pFactory = nullptr;
        getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&pFactory));
        if (pFactory) {
            pFactory->CreateInstance(nullptr, iid, ppOut);
            pFactory->Release();
        }
    });
    if (!completed)
        *ppOut = nullptr;  // an object from a component that faulted is not used
    return hLibrary;
}
