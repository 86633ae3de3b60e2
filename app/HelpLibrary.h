// The help library, Orvalt.dll beside the client's folder, and the game archive object
// its "GetGameZipPtr" hands out.
#pragma once

#include "app/ComponentInterfaces.h"
#include "framework/CString.h"

#include <windows.h>

using GetGameZipPtrFn = CGameZip*(__cdecl*)();
inline constexpr char kGetGameZipPtrName[] = "GetGameZipPtr";

// A plain value: its destructor frees nothing, since the library and its archive stay
// until the process ends.
class HelpLibrary {
public:
    HelpLibrary() = default;
    // An archive that is already at hand, in a library that is already loaded.
    HelpLibrary(HMODULE hLibrary, CGameZip* pGameZip);

    // Loads directory + "..\Orvalt.dll" and asks it for the archive, which may be null.
    // A library without "GetGameZipPtr" is freed; false then, and when missing.
    bool Bind(const CString& directory);
    void Release();

    CGameZip* GameZip() const { return m_pGameZip; }

private:
    HMODULE m_hLibrary = nullptr;
    CGameZip* m_pGameZip = nullptr;
};
