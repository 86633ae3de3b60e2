// The directory of the client's executable, against which component file names are
// resolved, and the separator conversions offered beside it.
#pragma once

#include "framework/CString.h"

#include <windows.h>

// The directory of the module's file with a trailing backslash; empty when the path
// has no backslash or does not fit in MAX_PATH characters.
CString ComputeModuleDirectory(HMODULE hModule);
// The same for an executable's path given as text.
CString ExecutableDirectory(const char* pszPath);

// The executable's directory, computed once and cached (an empty result is not cached).
CString ModuleDirectory();
// The same directory with forward slashes, from a cache of its own.
CString ModuleDirectoryForwardSlash();

// In place; a null string is left alone.
void ForwardToBackSlash(char* psz);
void BackToForwardSlash(char* psz);
void ForwardToBackSlash(CString& str);
void BackToForwardSlash(CString& str);

// Writes directory + name into buffer; false, with an empty buffer, when it does not fit.
bool FormatModulePath(char (&buffer)[MAX_PATH], const char* pszDirectory, const char* pszName);
