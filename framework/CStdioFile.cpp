#include "framework/CStdioFile.h"

#include "framework/CException.h"

#include <cstring>

BOOL CStdioFile::Open(const char* pszFileName, unsigned nOpenFlags, CFileException* pError)
{
    (void)nOpenFlags;  // only reading is supported
    Close();
    m_file.Attach(CreateFileA(pszFileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) {
        if (pError) {
            pError->m_lOsError = GetLastError();
            pError->m_cause = CFileException::fileNotFound;
        }
        return FALSE;
    }
    return TRUE;
}

void CStdioFile::Close()
{
    m_file.Close();
    m_nBuffered = m_nPosition = 0;
}

UINT CStdioFile::Read(void* pBuffer, UINT nCount)
{
    DWORD nRead = 0;
    if (!ReadFile(m_file.Get(), pBuffer, nCount, &nRead, nullptr))
        AfxThrowFileException(CFileException::genericException, GetLastError());
    return nRead;
}

bool CStdioFile::FillBuffer()
{
    m_nBuffered = Read(m_buffer, sizeof m_buffer);
    m_nPosition = 0;
    return m_nBuffered > 0;
}

BOOL CStdioFile::ReadString(CString& rString)
{
    rString.Empty();
    if (!m_file)
        return FALSE;
    bool readAny = false;
    for (;;) {
        if (m_nPosition == m_nBuffered && !FillBuffer())
            break;
        const char* start = m_buffer + m_nPosition;
        DWORD nAvailable = m_nBuffered - m_nPosition;
        const void* newline = memchr(start, '\n', nAvailable);
        DWORD nTake = newline ? static_cast<DWORD>(static_cast<const char*>(newline) - start) : nAvailable;
        rString += CString(start, static_cast<int>(nTake));
        readAny = true;
        m_nPosition += nTake;
        if (newline) {
            ++m_nPosition;
            break;
        }
    }
    int nLength = rString.GetLength();
    if (nLength > 0 && rString.GetAt(nLength - 1) == '\r')
        rString = rString.Left(nLength - 1);
    return readAny ? TRUE : FALSE;
}
