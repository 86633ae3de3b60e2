// The framework's narrow string in the binary form every framework-built module shares:
// one pointer to the characters, preceded by a reference-counted header; blocks come
// from the C runtime DLL's malloc and go back to its free.
#pragma once

#include <cstdarg>
#include <cstddef>

// The header in front of every string's characters.
struct CStringData {
    long nRefs;        // holders of the block; negative: a static block nobody counts or frees
    int nDataLength;   // characters, without the terminator
    int nAllocLength;  // room for characters, without the terminator
    char* data() { return reinterpret_cast<char*>(this + 1); }
};

static_assert(sizeof(long) == 4, "the header's count is 32 bits");
static_assert(sizeof(CStringData) == 12, "string header layout");
static_assert(offsetof(CStringData, nDataLength) == 4, "string header layout");
static_assert(offsetof(CStringData, nAllocLength) == 8, "string header layout");

class CString {
public:
    CString() noexcept;
    CString(const char* psz);
    CString(const char* pch, int nLength);
    // A copy shares the block; a static block is copied instead.
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* psz);

    int GetLength() const { return GetData()->nDataLength; }
    bool IsEmpty() const { return GetLength() == 0; }
    void Empty();

    const char* GetString() const { return m_pchData; }
    operator const char*() const { return m_pchData; }
    char GetAt(int nIndex) const { return m_pchData[nIndex]; }

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

    // The C runtime's formats (msvcrt), not the C99 ones.
    void Format(const char* pszFormat, ...) __attribute__((format(ms_printf, 2, 3)));
    void FormatV(const char* pszFormat, va_list args);

    // Room for nMinLength characters plus the terminator, in a block held by this string
    // alone; ReleaseBuffer fixes the length afterwards (-1: up to the first zero).
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

    // Readies the string for another module that assigns it and may release its block
    // with that module's own allocator: a block held by this string alone is emptied in
    // place; any other block only loses this string's reference (a static one is not
    // touched) and a fresh empty heap block takes its place, which survives a release.
    void PrepareForPeer();
    // Lets go of a block that may belong to another module's allocator without
    // releasing it; the string is empty afterwards.
    void Abandon() noexcept;

private:
    CStringData* GetData() const { return reinterpret_cast<CStringData*>(m_pchData) - 1; }
    void Init() noexcept;
    // A new block held by this string alone; the previous one is not released.
    void AllocBuffer(int nLength);
    void Release() noexcept;
    void AssignCopy(const char* pch, int nLength);
    void ConcatInPlace(const char* pch, int nLength);
    // Gives the string a block of its own with room for nLength characters, keeping the text.
    void MakeWritable(int nLength);

    char* m_pchData;  // never null: the static empty block stands for the empty string
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
