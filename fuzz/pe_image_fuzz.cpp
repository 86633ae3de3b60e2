// Arbitrary bytes through the doctor's PE reader: it must never read outside them.
#include "tools/PeImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PeImage image = ReadPeImage(data, size);
    if (image.valid && !image.problem.empty())
        __builtin_trap();
    return 0;
}
