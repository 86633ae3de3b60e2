#include "config/ConfigLine.h"

#include <cstdint>

std::string LowerAsciiGbk(std::string_view text)
{
    std::string lower(text);
    for (size_t i = 0; i < lower.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(lower[i]);
        if (IsGbkLeadByte(c) && i + 1 < lower.size())
            ++i;
        else if (c >= 'A' && c <= 'Z')
            lower[i] = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

int32_t ParseConfigDigits(std::string_view line)
{
    size_t first = line.find_first_of("0123456789");
    if (first == std::string_view::npos)
        return 0;
    int64_t value = 0;
    for (size_t i = first; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        value = value * 10 + (line[i] - '0');
        if (value > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

bool MatchConfigLine(std::string_view line, std::string_view lowerKey, int32_t* value)
{
    line = line.substr(0, line.find('\0'));
    std::string lowerLine = LowerAsciiGbk(line);
    if (lowerLine.find(lowerKey) == std::string::npos)
        return false;
    *value = ParseConfigDigits(lowerLine);
    return true;
}
