// Arbitrary input through GetField and the letter codec; buffers are exactly sized so
// that ASan catches a byte written past them.
#include "util/FieldSplit.h"
#include "util/LetterCodec.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int index = static_cast<int8_t>(data[0]);
    const size_t separatorLength = data[1] % 4;
    std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
    std::string separator = rest.substr(0, separatorLength);
    std::string text = rest.substr(separator.size());
    std::string field = GetFieldOf(text, separator, index);
    if (field.size() > text.size())
        __builtin_trap();

    const int capacity = static_cast<int>(rest.size() % 64);
    std::unique_ptr<char[]> letters(new char[capacity]);
    int length = -1;
    if (BytesToLetters(reinterpret_cast<const unsigned char*>(rest.data()), static_cast<int>(rest.size()),
                       letters.get(), capacity, &length)) {
        std::unique_ptr<unsigned char[]> bytes(new unsigned char[rest.size()]);
        int decoded = -1;
        if (!LettersToBytes(letters.get(), bytes.get(), static_cast<int>(rest.size()), &decoded) ||
            decoded != static_cast<int>(rest.size()) || memcmp(bytes.get(), rest.data(), rest.size()) != 0)
            __builtin_trap();  // decoding inverts encoding
    }

    std::string text0(rest.c_str());
    std::unique_ptr<unsigned char[]> out(new unsigned char[capacity]);
    LettersToBytes(text0.c_str(), out.get(), capacity, &length);
    return 0;
}
