#include "tools/TextEncoding.h"

#include <cstring>

namespace {

bool IsAsciiLetter(uint8_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

bool StartsWith(const uint8_t* data, size_t size, const char* mark, size_t length)
{
    return size >= length && std::memcmp(data, mark, length) == 0;
}

// Whether at least half the bytes at the parity's positions are NUL, as in UTF-16 text
// of ASCII letters; a stray NUL in narrow text is not.
bool HalfNulAt(const uint8_t* data, size_t size, size_t parity)
{
    size_t nul = 0, all = 0;
    for (size_t i = parity; i < size; i += 2, ++all)
        nul += data[i] == 0;
    return nul * 2 >= all;
}

}  // namespace

TextEncoding DetectTextEncoding(const uint8_t* data, size_t size)
{
    if (StartsWith(data, size, "\xEF\xBB\xBF", 3))
        return TextEncoding::Utf8Bom;
    if (StartsWith(data, size, "\xFF\xFE", 2))
        return TextEncoding::Utf16LeBom;
    if (StartsWith(data, size, "\xFE\xFF", 2))
        return TextEncoding::Utf16BeBom;
    // Either byte order puts a NUL between two letters of an ASCII word, and every other
    // byte is NUL.
    for (size_t i = 0; i + 2 < size; ++i)
        if (data[i + 1] == 0 && IsAsciiLetter(data[i]) && IsAsciiLetter(data[i + 2]) &&
            HalfNulAt(data, size, (i + 1) % 2))
            return TextEncoding::Utf16NoBom;
    return TextEncoding::Narrow;
}
