// The directory of the client's executable, against which component file names are
// resolved, and the separator conversions offered beside it.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <string>

// What an executable's path says about its directory. Component names are appended to
// the directory, so anything but a full folder is refused: a bare or relative name
// would reach the library search path or the current directory.
enum class ModuleDirectoryStatus {
    Found,        // directory holds the folder, ending in a backslash
    Empty,        // no path at all
    TooLong,      // the path needs more than MAX_PATH characters with its zero
    NotAbsolute,  // no drive root ("C:\") or network share ("\\") at its start
};

struct ModuleDirectoryAnswer {
    ModuleDirectoryStatus status;
    std::string directory;  // empty unless Found
};

// The question the plug-in asks of its executable's path, for any path. The search for
// the last backslash steps by character in the ANSI code page, so the trail byte 0x5C
// of a double-byte character (e.g. GBK DF 5C) is never taken for a separator.
ModuleDirectoryAnswer ModuleDirectoryOfPath(const char* pszPath);

// The directory of the module's file with a trailing backslash; empty when refused.
CString ComputeModuleDirectory(HMODULE hModule);

// The executable's directory, computed once and cached (an empty result is not cached).
CString ModuleDirectory();
// The same directory with forward slashes, from a cache of its own.
CString ModuleDirectoryForwardSlash();

// In place; a null string is left alone.
void ForwardToBackSlash(char* psz);
void BackToForwardSlash(char* psz);
void ForwardToBackSlash(CString& str);
void BackToForwardSlash(CString& str);

// Writes directory + name into buffer; false, with an empty buffer, when it does not fit
// or the directory is empty (a bare name would go to the library search path).
bool FormatModulePath(char (&buffer)[MAX_PATH], const char* pszDirectory, const char* pszName);

// LoadLibraryA on directory + name; null, loading nothing, when FormatModulePath
// refuses the path: the library then counts as missing.
HMODULE LoadLibraryBeside(const char* pszDirectory, const char* pszName);
