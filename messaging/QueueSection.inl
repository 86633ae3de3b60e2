// Template part of QueueSection.h.
#pragma once

namespace QueueSection {

template <typename Visit>
void ForEachRecord(const uint8_t* block, size_t size, Visit visit)
{
    Records records = ReadRecords(block, size);
    if (!records.consistent)
        return;
    int32_t offset = kHeaderSize;
    for (int32_t i = 0; i < records.count; ++i) {
        visit(block + offset + kLengthSize, records.length[i]);
        offset += kLengthSize + records.length[i];
    }
}

}  // namespace QueueSection
