// The header in front of a framework string's characters, as any module reads it.
#pragma once

struct StringBlock {
    long nRefs;
    int nDataLength;
    int nAllocLength;
};

inline const StringBlock& BlockOf(const char* pchText)
{
    return *reinterpret_cast<const StringBlock*>(pchText - sizeof(StringBlock));
}
