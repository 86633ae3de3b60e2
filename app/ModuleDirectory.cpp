#include "app/ModuleDirectory.h"

#include <cstdio>
#include <cstring>

namespace {

void ReplaceChar(char* psz, char from, char to)
{
    if (!psz)
        return;
    for (; *psz; ++psz)
        if (*psz == from)
            *psz = to;
}

CString& CachedDirectory(CString& cache)
{
    if (cache.IsEmpty())
        cache = ComputeModuleDirectory(nullptr);
    return cache;
}

}  // namespace

CString ComputeModuleDirectory(HMODULE hModule)
{
    char path[MAX_PATH] = {};
    DWORD nLength = GetModuleFileNameA(hModule, path, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return CString();  // a cut path would name the wrong directory
    return ExecutableDirectory(path);
}

CString ExecutableDirectory(const char* pszPath)
{
    if (!pszPath || strlen(pszPath) >= MAX_PATH)
        return CString();
    const char* lastSlash = strrchr(pszPath, '\\');
    if (!lastSlash)
        return CString();
    return CString(pszPath, static_cast<int>(lastSlash - pszPath) + 1);
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
    int nLength = snprintf(buffer, MAX_PATH, "%s%s", pszDirectory, pszName);
    if (nLength < 0 || nLength >= MAX_PATH) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}
