#include "messaging/QueueSection.h"

#include <algorithm>
#include <cstring>

namespace QueueSection {

namespace {

// The one way a header field or record length leaves the block: a volatile read, so
// the compiler cannot fetch it a second time in place of the local it went into.
int32_t Load(const uint8_t* at, ReadObserver* observer)
{
    const volatile uint8_t* bytes = at;
    uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                     static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    if (observer)
        observer->AfterRead();
    return static_cast<int32_t>(value);
}

void WriteInt(uint8_t* at, int32_t value) { std::memcpy(at, &value, sizeof value); }

void WriteHeader(uint8_t* block, int32_t count, int32_t endOffset)
{
    WriteInt(block, count);
    WriteInt(block + 4, endOffset);
}

int32_t Usable(size_t size)
{
    return static_cast<int32_t>(std::min<size_t>(size, kSectionSize));
}

// Follows the record chain from offset 8 for at most maxRecords records, never past
// records->limit; stops at the first record whose length or body would cross it.
void WalkRecords(const uint8_t* block, int32_t maxRecords, Records* records, ReadObserver* observer)
{
    records->count = 0;
    records->end = kHeaderSize;
    while (records->count < maxRecords && records->limit - records->end >= kLengthSize) {
        int32_t length = Load(block + records->end, observer);
        if (length < 0 || length > records->limit - records->end - kLengthSize)
            break;
        records->length[records->count++] = length;
        records->end += kLengthSize + length;
    }
}

}  // namespace

Records ReadRecords(const uint8_t* block, size_t size, ReadObserver* observer)
{
    Records records{};
    records.usable = Usable(size);
    records.limit = kHeaderSize;
    if (records.usable < kHeaderSize)
        return records;
    records.header.count = Load(block, observer);
    records.header.endOffset = Load(block + 4, observer);
    const Header& header = records.header;
    bool countValid = header.count >= 0 && header.count <= kMaxRecords;
    bool endValid = header.endOffset >= kHeaderSize && header.endOffset <= records.usable;
    if (endValid)
        records.limit = header.endOffset;
    WalkRecords(block, countValid ? header.count : kMaxRecords, &records, observer);
    records.consistent =
        countValid && endValid && records.count == header.count && records.end == header.endOffset;
    return records;
}

Header ReadHeader(const uint8_t* block) { return Header{Load(block, nullptr), Load(block + 4, nullptr)}; }

bool IsConsistent(const uint8_t* block, size_t size, ReadObserver* observer)
{
    return ReadRecords(block, size, observer).consistent;
}

bool Repair(uint8_t* block, size_t size, ReadObserver* observer)
{
    Records records = ReadRecords(block, size, observer);
    if (records.usable < kHeaderSize || records.consistent)
        return false;
    std::memset(block + records.end, 0, static_cast<size_t>(records.limit - records.end));
    WriteHeader(block, records.count, records.end);
    return true;
}

bool Append(uint8_t* block, size_t size, const void* data, int32_t length, ReadObserver* observer)
{
    Records records = ReadRecords(block, size, observer);
    if (!records.consistent || length < 0 || records.count >= kMaxRecords ||
        length > records.usable - records.end - kLengthSize)
        return false;
    WriteInt(block + records.end, length);
    if (length > 0)
        std::memcpy(block + records.end + kLengthSize, data, static_cast<size_t>(length));
    // The count goes first: a writer that dies between the two writes leaves a count
    // that the end offset does not cover, which Repair drops again.
    WriteHeader(block, records.count + 1, records.end + kLengthSize + length);
    return true;
}

bool Remove(uint8_t* block, size_t size, void* buffer, int32_t capacity, int32_t* length,
            ReadObserver* observer)
{
    Records records = ReadRecords(block, size, observer);
    if (!records.consistent || records.count <= 0)
        return false;
    int32_t first = records.length[0];
    int32_t copied = std::max(0, std::min(first, capacity));
    if (copied > 0)
        std::memcpy(buffer, block + kHeaderSize + kLengthSize, static_cast<size_t>(copied));
    *length = first;
    int32_t taken = kLengthSize + first;
    int32_t rest = records.end - kHeaderSize - taken;
    std::memmove(block + kHeaderSize, block + kHeaderSize + taken, static_cast<size_t>(rest));
    std::memset(block + kHeaderSize + rest, 0, static_cast<size_t>(taken));
    WriteHeader(block, records.count - 1, records.end - taken);
    return true;
}

}  // namespace QueueSection
