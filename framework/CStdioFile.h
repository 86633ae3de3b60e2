// A read-only file, read in blocks or line by line.
// Text mode: a line ends at LF, and a CR before the LF is dropped.
#pragma once

#include "framework/CString.h"
#include "framework/KernelHandle.h"

#include <windows.h>

class CFileException;

class CStdioFile {
public:
    enum OpenFlags : unsigned { modeRead = 0x0000, typeText = 0x4000 };

    CStdioFile() = default;
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

    // Returns FALSE when the file cannot be opened; fills *pError when one is given.
    BOOL Open(const char* pszFileName, unsigned nOpenFlags, CFileException* pError = nullptr);
    // Reads up to nCount bytes; 0 at the end of the file. Throws CFileException* on a
    // read error.
    UINT Read(void* pBuffer, UINT nCount);
    // Reads the next line without its line ending; FALSE at the end of the file.
    // Throws CFileException* on a read error and CMemoryException* when out of memory.
    BOOL ReadString(CString& rString);
    void Close();

private:
    bool FillBuffer();

    CKernelHandle m_file;
    char m_buffer[4096];
    DWORD m_nBuffered = 0;
    DWORD m_nPosition = 0;
};
