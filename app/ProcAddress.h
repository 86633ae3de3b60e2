// Looks up an entry point of a library as the function type it is known to have.
#pragma once

#include <windows.h>

template <typename Fn>
Fn ProcAddress(HMODULE hLibrary, const char* pszName)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(hLibrary, pszName)));
}
