// The framework's narrow string: one pointer wide, its text on the process heap, so
// any module that links this implementation may free a string another one assigned.
#pragma once

#include <cstdarg>

class CString {
public:
    CString() noexcept = default;
    CString(const char* psz);
    CString(const char* pch, int nLength);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* psz);

    int GetLength() const;
    bool IsEmpty() const { return GetLength() == 0; }
    void Empty();

    const char* GetString() const { return m_pchData ? m_pchData : ""; }
    operator const char*() const { return GetString(); }
    char GetAt(int nIndex) const { return GetString()[nIndex]; }

    CString& operator+=(const CString& other);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);

    int Compare(const char* psz) const;
    int CompareNoCase(const char* psz) const;

    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;
    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    int Replace(char chOld, char chNew);

    // Lower-cases ASCII letters only; the trail bytes of double-byte characters stay.
    void MakeLower();

    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* pszFormat, va_list args);

    // Room for nMinLength characters plus the terminator; ReleaseBuffer fixes the
    // length afterwards (-1: up to the first zero).
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    struct Header {
        int nDataLength;
        int nAllocLength;
    };

    Header* GetHeader() const;
    void Assign(const char* pch, int nLength);
    void Append(const char* pch, int nLength);
    void Reserve(int nLength, bool keepText);
    void Release() noexcept;

    char* m_pchData = nullptr;  // text behind a Header block; null for the empty string
};

static_assert(sizeof(CString) == sizeof(void*), "CString must be one pointer wide");

CString operator+(const CString& left, const CString& right);
CString operator+(const CString& left, const char* right);
CString operator+(const char* left, const CString& right);

inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator!=(const CString& a, const char* b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
