// The stand-ins' call log: one line per call, appended to the file that the variable
// ZRK_CALL_LOG names, so tests can check which calls came in what order.
#pragma once

#include <windows.h>

void LogCall(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

// Logs "<owner>: loaded" and "<owner>: unloaded" from a library entry point.
void LogLibraryEvent(const char* pszOwner, DWORD dwReason);

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, upper case.
class GuidText {
public:
    explicit GuidText(REFGUID guid);
    const char* c_str() const { return m_text; }

private:
    char m_text[40];
};
