#include "app/ModuleDirectory.h"

#include <cstring>

namespace {

// Steps by character in the ANSI code page, as ModuleDirectoryOfPath does: the trail
// byte of a double-byte character (GBK DF 5C) is never taken for a separator.
void ReplaceChar(char* psz, char from, char to)
{
    if (!psz)
        return;
    for (; *psz; psz = CharNextA(psz))
        if (*psz == from)
            *psz = to;
}

CString& CachedDirectory(CString& cache)
{
    if (cache.IsEmpty())
        cache = ComputeModuleDirectory(nullptr);
    return cache;
}

bool IsAbsolute(const char* psz)
{
    bool driveRoot = ((psz[0] >= 'A' && psz[0] <= 'Z') || (psz[0] >= 'a' && psz[0] <= 'z')) && psz[1] == ':' &&
                     psz[2] == '\\';
    return driveRoot || (psz[0] == '\\' && psz[1] == '\\');
}

}  // namespace

ModuleDirectoryAnswer ModuleDirectoryOfPath(const char* pszPath)
{
    if (!pszPath || !*pszPath)
        return {ModuleDirectoryStatus::Empty, std::string()};
    if (strnlen(pszPath, MAX_PATH) >= MAX_PATH)
        return {ModuleDirectoryStatus::TooLong, std::string()};
    if (!IsAbsolute(pszPath))
        return {ModuleDirectoryStatus::NotAbsolute, std::string()};
    const char* pszLastSeparator = pszPath + 2;  // an absolute path has one there or at 0
    for (const char* psz = pszPath; *psz; psz = CharNextA(psz))
        if (*psz == '\\')
            pszLastSeparator = psz;
    return {ModuleDirectoryStatus::Found, std::string(pszPath, pszLastSeparator + 1)};
}

CString ComputeModuleDirectory(HMODULE hModule)
{
    char path[MAX_PATH] = {};
    DWORD nLength = GetModuleFileNameA(hModule, path, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return CString();  // a cut path would name the wrong directory
    return CString(ModuleDirectoryOfPath(path).directory.c_str());
}

CString ModuleDirectory()
{
    static CString cache;
    return CachedDirectory(cache);
}

CString ModuleDirectoryForwardSlash()
{
    static CString cache;
    BackToForwardSlash(CachedDirectory(cache));
    return cache;
}

void ForwardToBackSlash(char* psz) { ReplaceChar(psz, '/', '\\'); }

void BackToForwardSlash(char* psz) { ReplaceChar(psz, '\\', '/'); }

void ForwardToBackSlash(CString& str) { str.Replace('/', '\\'); }

void BackToForwardSlash(CString& str) { str.Replace('\\', '/'); }

bool FormatModulePath(char (&buffer)[MAX_PATH], const char* pszDirectory, const char* pszName)
{
    size_t nDirectory = strlen(pszDirectory);
    size_t nName = strlen(pszName);
    if (!nDirectory || nDirectory + nName >= MAX_PATH) {
        buffer[0] = '\0';
        return false;
    }
    memcpy(buffer, pszDirectory, nDirectory);
    memcpy(buffer + nDirectory, pszName, nName + 1);
    return true;
}

HMODULE LoadLibraryBeside(const char* pszDirectory, const char* pszName)
{
    char path[MAX_PATH];
    return FormatModulePath(path, pszDirectory, pszName) ? LoadLibraryA(path) : nullptr;
}
