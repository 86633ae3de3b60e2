#include "util/VersionNumber.h"

uint32_t PackVersionNumber(uint16_t a, uint16_t b, uint16_t c, uint16_t d)
{
    return a * 10000000u + b * 100000u + (c / 100u) * 10000u + (c % 100u) * 100u + d;
}

uint16_t BuildWordOf(uint32_t versionNumber)
{
    uint32_t rest = versionNumber % 10000;
    return static_cast<uint16_t>(((rest / 100) << 8) | (rest % 100));
}

std::string VersionTextOf(uint32_t versionNumber)
{
    static const char* const kStageWords[] = {"Alpha", "Beta", "正式版"};
    const uint32_t major = versionNumber / 10000000;
    const uint32_t minor = versionNumber % 10000000 / 100000;
    const uint32_t stage = versionNumber % 100000 / 10000;
    const uint32_t build = versionNumber % 10000 / 100;
    const uint32_t privatePart = versionNumber % 100;
    if (stage > 2)
        return {};
    return std::to_string(major) + (minor < 10 ? ".0" : ".") + std::to_string(minor) + " " +
           kStageWords[stage] + std::to_string(build) + " Build" + std::to_string(privatePart);
}
