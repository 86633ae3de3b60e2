#include "client/CallLog.h"

#include "client/OwnedHandle.h"

#include <stdarg.h>
#include <stdio.h>

void LogCall(const char* pszFormat, ...)
{
    char path[MAX_PATH];
    DWORD nPath = GetEnvironmentVariableA("ZRK_CALL_LOG", path, MAX_PATH);
    if (nPath == 0 || nPath >= MAX_PATH)
        return;
    char line[1024];
    va_list args;
    va_start(args, pszFormat);
    int nLength = _vsnprintf(line, sizeof line - 1, pszFormat, args);
    va_end(args);
    if (nLength < 0)
        return;
    if (nLength > static_cast<int>(sizeof line) - 2)
        nLength = sizeof line - 2;
    line[nLength++] = '\n';
    OwnedHandle file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file.Get(), line, static_cast<DWORD>(nLength), &written, nullptr);
}

GuidText::GuidText(REFGUID guid)
{
    _snprintf(m_text, sizeof m_text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
             static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
             guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
             guid.Data4[6], guid.Data4[7]);
    m_text[sizeof m_text - 1] = '\0';
}

void LogLibraryEvent(const char* pszOwner, DWORD dwReason)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        LogCall("%s: loaded", pszOwner);
    else if (dwReason == DLL_PROCESS_DETACH)
        LogCall("%s: unloaded", pszOwner);
}
