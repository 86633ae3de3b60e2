// Packing a four-part file version into one decimal-coded number, and its text.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t kNoVersionNumber = 0xFFFFFFFF;

// a * 10,000,000 + b * 100,000 + (c / 100) * 10,000 + (c % 100) * 100 + d, in
// unsigned 32-bit arithmetic: a larger part runs into the next group.
uint32_t PackVersionNumber(uint16_t a, uint16_t b, uint16_t c, uint16_t d);

// (n % 10,000) / 100 in the high byte and n % 100 in the low byte.
uint16_t BuildWordOf(uint32_t versionNumber);

// "major.minor" (minor with two digits), the stage word and "N BuildM", e.g.
// "0.10 Alpha1 Build1"; empty for a stage other than 0, 1 or 2. GBK text.
std::string VersionTextOf(uint32_t versionNumber);
