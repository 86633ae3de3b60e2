#include "util/LetterCodec.h"

#include <cstdint>
#include <cstring>

namespace {

void StoreLength(int* outLength, int value)
{
    if (outLength)
        *outLength = value;
}

}  // namespace

int BytesToLetters(const unsigned char* data, int length, char* buffer, int capacity, int* outLength)
{
    StoreLength(outLength, 0);
    // 64-bit arithmetic: 2 * length must not overflow for lengths above INT_MAX / 2.
    const int64_t letters = 2 * static_cast<int64_t>(length);
    if (!data || !buffer || length < 1 || capacity <= letters)
        return 0;
    StoreLength(outLength, static_cast<int>(letters));
    buffer[letters] = '\0';
    for (int i = 0; i < length; ++i) {
        buffer[2 * i] = static_cast<char>('a' + (data[i] >> 4));
        buffer[2 * i + 1] = static_cast<char>('a' + (data[i] & 0x0F));
    }
    return 1;
}

int LettersToBytes(const char* text, unsigned char* buffer, int capacity, int* outLength)
{
    StoreLength(outLength, 0);
    if (!text)
        return 0;
    const size_t count = strlen(text) / 2;
    if (capacity < 0 || count > static_cast<size_t>(capacity))
        return 0;
    if (count > 0 && !buffer)
        return 0;
    StoreLength(outLength, static_cast<int>(count));
    for (size_t i = 0; i < count; ++i) {
        unsigned high = static_cast<unsigned char>(text[2 * i]) - 'a';
        unsigned low = static_cast<unsigned char>(text[2 * i + 1]) - 'a';
        buffer[i] = static_cast<unsigned char>(((high * 16) & 0xFF) | (low & 0xFF));
    }
    return 1;
}
