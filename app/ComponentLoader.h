// Loads a component library by full path without the registry and creates an object
// through the library's own class-object entry.
#pragma once

#include <windows.h>

// Returns the library handle, or null when it did not load; *ppOut receives the object
// or null. The caller releases the object and frees the library with CoFreeLibrary.
HINSTANCE LoadComponent(const char* pszPath, REFCLSID clsid, REFIID iid, void** ppOut);
