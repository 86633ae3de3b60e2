#include "framework/CString.h"

#include "framework/CException.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

int SafeLength(const char* psz)
{
    if (!psz)
        return 0;
    size_t n = strlen(psz);
    if (n > INT_MAX / 2)
        AfxThrowMemoryException();
    return static_cast<int>(n);
}

}  // namespace

CString::CString(const char* psz) { Assign(psz, SafeLength(psz)); }

CString::CString(const char* pch, int nLength) { Assign(pch, nLength > 0 ? nLength : 0); }

CString::CString(const CString& other) { Assign(other.GetString(), other.GetLength()); }

CString::CString(CString&& other) noexcept : m_pchData(other.m_pchData) { other.m_pchData = nullptr; }

CString::~CString() { Release(); }

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other.GetString(), other.GetLength());
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        Release();
        m_pchData = other.m_pchData;
        other.m_pchData = nullptr;
    }
    return *this;
}

CString& CString::operator=(const char* psz)
{
    Assign(psz, SafeLength(psz));
    return *this;
}

CString::Header* CString::GetHeader() const
{
    return m_pchData ? reinterpret_cast<Header*>(m_pchData) - 1 : nullptr;
}

int CString::GetLength() const { return m_pchData ? GetHeader()->nDataLength : 0; }

void CString::Empty() { Release(); }

void CString::Release() noexcept
{
    if (m_pchData) {
        HeapFree(GetProcessHeap(), 0, GetHeader());
        m_pchData = nullptr;
    }
}

// Makes room for nLength characters and a terminator.
void CString::Reserve(int nLength, bool keepText)
{
    Header* old = GetHeader();
    if (old && old->nAllocLength >= nLength)
        return;
    if (nLength > INT_MAX / 2)
        AfxThrowMemoryException();
    int nAlloc = nLength < 64 ? 64 : nLength + nLength / 2;
    void* block = HeapAlloc(GetProcessHeap(), 0, sizeof(Header) + nAlloc + 1);
    if (!block)
        AfxThrowMemoryException();
    auto* header = static_cast<Header*>(block);
    header->nAllocLength = nAlloc;
    header->nDataLength = 0;
    char* text = reinterpret_cast<char*>(header + 1);
    text[0] = '\0';
    if (old && keepText) {
        memcpy(text, m_pchData, old->nDataLength + 1);
        header->nDataLength = old->nDataLength;
    }
    Release();
    m_pchData = text;
}

void CString::Assign(const char* pch, int nLength)
{
    if (nLength == 0) {
        Release();
        return;
    }
    if (m_pchData && pch >= m_pchData && pch < m_pchData + GetLength()) {
        CString copy(pch, nLength);  // assigning a piece of ourselves
        *this = static_cast<CString&&>(copy);
        return;
    }
    Reserve(nLength, false);
    memcpy(m_pchData, pch, nLength);
    m_pchData[nLength] = '\0';
    GetHeader()->nDataLength = nLength;
}

void CString::Append(const char* pch, int nLength)
{
    if (nLength <= 0)
        return;
    int nOld = GetLength();
    if (nLength > INT_MAX / 2 - nOld)
        AfxThrowMemoryException();
    if (m_pchData && pch >= m_pchData && pch < m_pchData + nOld) {
        CString copy(pch, nLength);
        Append(copy.GetString(), nLength);
        return;
    }
    Reserve(nOld + nLength, true);
    memcpy(m_pchData + nOld, pch, nLength);
    m_pchData[nOld + nLength] = '\0';
    GetHeader()->nDataLength = nOld + nLength;
}

CString& CString::operator+=(const CString& other)
{
    Append(other.GetString(), other.GetLength());
    return *this;
}

CString& CString::operator+=(const char* psz)
{
    Append(psz, SafeLength(psz));
    return *this;
}

CString& CString::operator+=(char ch)
{
    Append(&ch, 1);
    return *this;
}

CString operator+(const CString& left, const CString& right)
{
    CString result(left);
    result += right;
    return result;
}

CString operator+(const CString& left, const char* right)
{
    CString result(left);
    result += right;
    return result;
}

CString operator+(const char* left, const CString& right)
{
    CString result(left);
    result += right;
    return result;
}

int CString::Compare(const char* psz) const { return strcmp(GetString(), psz ? psz : ""); }

int CString::CompareNoCase(const char* psz) const
{
    return lstrcmpiA(GetString(), psz ? psz : "");
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    const char* hit = strchr(GetString() + nStart, ch);
    return hit ? static_cast<int>(hit - GetString()) : -1;
}

int CString::Find(const char* pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || nStart > GetLength())
        return -1;
    const char* hit = strstr(GetString() + nStart, pszSub);
    return hit ? static_cast<int>(hit - GetString()) : -1;
}

CString CString::Left(int nCount) const
{
    if (nCount <= 0)
        return CString();
    return CString(GetString(), nCount < GetLength() ? nCount : GetLength());
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= GetLength() || nCount <= 0)
        return CString();
    int nAvailable = GetLength() - nFirst;
    return CString(GetString() + nFirst, nCount < nAvailable ? nCount : nAvailable);
}

int CString::Replace(char chOld, char chNew)
{
    int nCount = 0;
    for (int i = 0; i < GetLength(); ++i) {
        if (m_pchData[i] == chOld) {
            m_pchData[i] = chNew;
            ++nCount;
        }
    }
    return nCount;
}

void CString::MakeLower()
{
    for (int i = 0; i < GetLength(); ++i) {
        unsigned char c = static_cast<unsigned char>(m_pchData[i]);
        if (IsDBCSLeadByte(c) && i + 1 < GetLength())
            ++i;
        else if (c >= 'A' && c <= 'Z')
            m_pchData[i] = static_cast<char>(c - 'A' + 'a');
    }
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(const char* pszFormat, va_list args)
{
    va_list probe;
    va_copy(probe, args);
    int nLength = vsnprintf(nullptr, 0, pszFormat, probe);
    va_end(probe);
    if (nLength <= 0) {
        Empty();
        return;
    }
    CString result;
    vsnprintf(result.GetBuffer(nLength), nLength + 1, pszFormat, args);
    result.ReleaseBuffer(nLength);
    *this = static_cast<CString&&>(result);
}

char* CString::GetBuffer(int nMinLength)
{
    Reserve(nMinLength > GetLength() ? nMinLength : GetLength(), true);
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (!m_pchData)
        return;
    Header* header = GetHeader();
    if (nNewLength < 0 || nNewLength > header->nAllocLength)
        nNewLength = static_cast<int>(strnlen(m_pchData, header->nAllocLength));
    header->nDataLength = nNewLength;
    m_pchData[nNewLength] = '\0';
}
