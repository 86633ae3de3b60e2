// What one line of devconfig.txt means for one key. The reader streams the file through
// ConfigScanner, which must agree with MatchConfigLine on every line (the fuzzer checks).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The first byte of a GBK double-byte character: its trail byte may fall in the ASCII
// letters' range and is no letter.
constexpr bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Lower-cases ASCII letters; a GBK lead byte and its trail byte are kept as they are.
std::string LowerAsciiGbk(std::string_view text);

// The value of a line that holds a key: the digits from the first digit anywhere on
// the line; 0 when there is none. A run beyond the int32 range saturates at INT32_MAX.
int32_t ParseConfigDigits(std::string_view line);

// True when the line, lower-cased, contains lowerKey; *value then holds its value.
// The line stops at its first NUL byte, like the C string a text reader hands on.
bool MatchConfigLine(std::string_view line, std::string_view lowerKey, int32_t* value);
