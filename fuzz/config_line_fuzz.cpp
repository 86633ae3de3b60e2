// Arbitrary lines and keys through the devconfig.txt line matcher.
#include "config/ConfigLine.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\n');
    std::string_view key = split == std::string_view::npos ? "width" : input.substr(0, split);
    std::string_view line = split == std::string_view::npos ? input : input.substr(split + 1);
    int32_t value = -1;
    if (MatchConfigLine(line, LowerAsciiGbk(key), &value) && value < 0)
        __builtin_trap();  // values are never negative
    return 0;
}
