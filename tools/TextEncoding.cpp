#include "tools/TextEncoding.h"

#include <cstring>

namespace {

bool IsAsciiLetter(uint8_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

bool StartsWith(const uint8_t* data, size_t size, const char* mark, size_t length)
{
    return size >= length && std::memcmp(data, mark, length) == 0;
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
    // Either byte order puts a NUL between two letters of an ASCII word.
    for (size_t i = 0; i + 2 < size; ++i)
        if (data[i + 1] == 0 && IsAsciiLetter(data[i]) && IsAsciiLetter(data[i + 2]))
            return TextEncoding::Utf16NoBom;
    return TextEncoding::Narrow;
}
