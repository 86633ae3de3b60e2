// Template part of QueueSection.h.
#pragma once

#include <cstring>

namespace QueueSection {

template <typename Visit>
void ForEachRecord(const uint8_t* block, size_t size, Visit visit)
{
    if (!IsConsistent(block, size))
        return;
    Header header = ReadHeader(block);
    int32_t offset = kHeaderSize;
    for (int32_t i = 0; i < header.count; ++i) {
        int32_t length;
        std::memcpy(&length, block + offset, sizeof length);
        visit(block + offset + kLengthSize, length);
        offset += kLengthSize + length;
    }
}

}  // namespace QueueSection
