#include "framework/CString.h"

#include "framework/CException.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kMaxLength = INT_MAX / 2;

// The empty string of this module: a static block that no one counts or frees. It stays
// writable: code that writes an empty text in place writes its length and terminator.
struct EmptyBlock {
    CStringData header;
    char text[4];
};
EmptyBlock g_emptyBlock = {{-1, 0, 0}, {0}};

int SafeLength(const char* psz)
{
    if (!psz)
        return 0;
    size_t n = strlen(psz);
    if (n > static_cast<size_t>(kMaxLength))
        AfxThrowMemoryException();
    return static_cast<int>(n);
}

// A block held once, empty, with room for nAllocLength characters.
CStringData* NewData(int nAllocLength)
{
    if (nAllocLength < 0 || nAllocLength > kMaxLength)
        AfxThrowMemoryException();
    auto* data = static_cast<CStringData*>(malloc(sizeof(CStringData) + nAllocLength + 1));
    if (!data)
        AfxThrowMemoryException();
    data->nRefs = 1;
    data->nDataLength = 0;
    data->nAllocLength = nAllocLength;
    data->data()[0] = '\0';
    return data;
}

// Drops one reference; the last one frees the block. Static blocks, this module's empty
// one and any other with a negative count, are left alone.
void ReleaseData(CStringData* data) noexcept
{
    if (data == &g_emptyBlock.header || data->nRefs < 0)
        return;
    if (InterlockedDecrement(&data->nRefs) <= 0)
        free(data);
}

}  // namespace

CString::CString() noexcept { Init(); }

CString::CString(const char* psz)
{
    Init();
    AssignCopy(psz, SafeLength(psz));
}

CString::CString(const char* pch, int nLength)
{
    Init();
    AssignCopy(pch, nLength > 0 ? nLength : 0);
}

CString::CString(const CString& other)
{
    Init();
    *this = other;
}

CString::CString(CString&& other) noexcept : m_pchData(other.m_pchData) { other.Init(); }

CString::~CString() { Release(); }

void CString::Init() noexcept { m_pchData = g_emptyBlock.header.data(); }

void CString::Release() noexcept
{
    ReleaseData(GetData());
    Init();
}

void CString::Abandon() noexcept { Init(); }

void CString::Empty() { Release(); }

CString& CString::operator=(const CString& other)
{
    if (m_pchData == other.m_pchData)
        return *this;
    CStringData* source = other.GetData();
    if (source->nRefs < 0) {
        AssignCopy(other.m_pchData, source->nDataLength);
        return *this;
    }
    InterlockedIncrement(&source->nRefs);
    Release();
    m_pchData = other.m_pchData;
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        Release();
        m_pchData = other.m_pchData;
        other.Init();
    }
    return *this;
}

CString& CString::operator=(const char* psz)
{
    AssignCopy(psz, SafeLength(psz));
    return *this;
}

void CString::AllocBuffer(int nLength)
{
    m_pchData = NewData(nLength)->data();
}

// The text may be a piece of this string: the old block goes only after the copy.
void CString::AssignCopy(const char* pch, int nLength)
{
    if (nLength == 0) {
        Release();
        return;
    }
    CStringData* data = GetData();
    if (data->nRefs == 1 && nLength <= data->nAllocLength) {
        memmove(m_pchData, pch, nLength);
    } else {
        AllocBuffer(nLength);
        memcpy(m_pchData, pch, nLength);
        ReleaseData(data);
    }
    m_pchData[nLength] = '\0';
    GetData()->nDataLength = nLength;
}

void CString::MakeWritable(int nLength)
{
    CStringData* data = GetData();
    if (data->nRefs == 1 && nLength <= data->nAllocLength)
        return;
    const int nKeep = data->nDataLength < nLength ? data->nDataLength : nLength;
    AllocBuffer(nLength);
    memcpy(m_pchData, data->data(), nKeep);
    m_pchData[nKeep] = '\0';
    GetData()->nDataLength = nKeep;
    ReleaseData(data);
}

void CString::ConcatInPlace(const char* pch, int nLength)
{
    if (nLength <= 0)
        return;
    const int nOld = GetLength();
    if (nLength > kMaxLength - nOld)
        AfxThrowMemoryException();
    const int nNew = nOld + nLength;
    CStringData* data = GetData();
    if (data->nRefs == 1 && nNew <= data->nAllocLength) {
        memmove(m_pchData + nOld, pch, nLength);
    } else {
        // Half again as much room, so that appending one piece at a time stays linear.
        const int nRoom = nNew > kMaxLength - nNew / 2 ? nNew : nNew + nNew / 2;
        AllocBuffer(nRoom);
        memcpy(m_pchData, data->data(), nOld);
        memcpy(m_pchData + nOld, pch, nLength);
        ReleaseData(data);
    }
    m_pchData[nNew] = '\0';
    GetData()->nDataLength = nNew;
}

CString& CString::operator+=(const CString& other)
{
    ConcatInPlace(other.m_pchData, other.GetLength());
    return *this;
}

CString& CString::operator+=(const char* psz)
{
    ConcatInPlace(psz, SafeLength(psz));
    return *this;
}

CString& CString::operator+=(char ch)
{
    ConcatInPlace(&ch, 1);
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

int CString::Compare(const char* psz) const { return strcmp(m_pchData, psz ? psz : ""); }

int CString::CompareNoCase(const char* psz) const { return lstrcmpiA(m_pchData, psz ? psz : ""); }

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength())
        return -1;
    const char* hit = strchr(m_pchData + nStart, ch);
    return hit ? static_cast<int>(hit - m_pchData) : -1;
}

int CString::Find(const char* pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || nStart > GetLength())
        return -1;
    const char* hit = strstr(m_pchData + nStart, pszSub);
    return hit ? static_cast<int>(hit - m_pchData) : -1;
}

CString CString::Left(int nCount) const
{
    if (nCount <= 0)
        return CString();
    return CString(m_pchData, nCount < GetLength() ? nCount : GetLength());
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst >= GetLength() || nCount <= 0)
        return CString();
    int nAvailable = GetLength() - nFirst;
    return CString(m_pchData + nFirst, nCount < nAvailable ? nCount : nAvailable);
}

// The index of the first character ch at or after nStart, stepping over double-byte
// characters (whose trail byte may equal ch), or nLength.
static int FindSingleByte(const char* pch, int nLength, int nStart, char ch)
{
    for (int i = nStart; i < nLength; ++i) {
        if (pch[i] == ch)
            return i;
        if (IsDBCSLeadByte(static_cast<unsigned char>(pch[i])) && i + 1 < nLength)
            ++i;
    }
    return nLength;
}

// By character, as MakeLower: a trail byte equal to chOld belongs to its character.
int CString::Replace(char chOld, char chNew)
{
    int nCount = 0;
    for (int i = FindSingleByte(m_pchData, GetLength(), 0, chOld); i < GetLength();
         i = FindSingleByte(m_pchData, GetLength(), i + 1, chOld)) {
        if (nCount++ == 0)
            MakeWritable(GetLength());
        m_pchData[i] = chNew;
    }
    return nCount;
}

void CString::MakeLower()
{
    if (IsEmpty())
        return;
    MakeWritable(GetLength());
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
    // The C runtime's own formatting, which the module imports anyway: the static
    // library's version would add some 25 KB. Its _vsnprintf leaves the text
    // unterminated when it fills the count, so the length comes first and
    // ReleaseBuffer writes the terminator.
    va_list probe;
    va_copy(probe, args);
    int nLength = _vscprintf(pszFormat, probe);
    va_end(probe);
    if (nLength <= 0 || nLength > kMaxLength) {
        Empty();
        return;
    }
    CString result;
    int nWritten = _vsnprintf(result.GetBuffer(nLength), nLength, pszFormat, args);
    result.ReleaseBuffer(nWritten >= 0 && nWritten < nLength ? nWritten : nLength);
    *this = static_cast<CString&&>(result);
}

char* CString::GetBuffer(int nMinLength)
{
    MakeWritable(nMinLength > GetLength() ? nMinLength : GetLength());
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    CStringData* data = GetData();
    if (data->nRefs != 1)
        return;  // no GetBuffer before: nothing of ours to fix
    if (nNewLength < 0 || nNewLength > data->nAllocLength)
        nNewLength = static_cast<int>(strnlen(m_pchData, data->nAllocLength));
    data->nDataLength = nNewLength;
    m_pchData[nNewLength] = '\0';
}

// The fresh block comes first: if it cannot be had, the string is as it was.
void CString::PrepareForPeer()
{
    CStringData* data = GetData();
    if (data->nRefs == 1) {
        data->nDataLength = 0;
        m_pchData[0] = '\0';
        return;
    }
    CStringData* fresh = NewData(0);
    // If another holder let go meanwhile, the block is left: it may be another allocator's.
    if (data->nRefs > 1)
        InterlockedDecrement(&data->nRefs);
    m_pchData = fresh->data();
}
