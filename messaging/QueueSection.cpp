#include "messaging/QueueSection.h"

#include <algorithm>
#include <cstring>

namespace QueueSection {

namespace {

int32_t ReadInt(const uint8_t* at)
{
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
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

struct Walk {
    int32_t records;  // whole records found
    int32_t end;      // offset right after the last of them
};

// Follows the record chain from offset 8 for at most maxRecords records, never past
// limit; stops at the first record whose length or body would cross it.
Walk WalkRecords(const uint8_t* block, int32_t maxRecords, int32_t limit)
{
    Walk walk{0, kHeaderSize};
    while (walk.records < maxRecords && limit - walk.end >= kLengthSize) {
        int32_t length = ReadInt(block + walk.end);
        if (length < 0 || length > limit - walk.end - kLengthSize)
            break;
        walk.end += kLengthSize + length;
        ++walk.records;
    }
    return walk;
}

bool HeaderInRange(Header header, int32_t usable)
{
    return header.count >= 0 && header.count <= kMaxRecords && header.endOffset >= kHeaderSize &&
           header.endOffset <= usable;
}

}  // namespace

Header ReadHeader(const uint8_t* block) { return Header{ReadInt(block), ReadInt(block + 4)}; }

bool IsConsistent(const uint8_t* block, size_t size)
{
    int32_t usable = Usable(size);
    if (usable < kHeaderSize)
        return false;
    Header header = ReadHeader(block);
    if (!HeaderInRange(header, usable))
        return false;
    Walk walk = WalkRecords(block, header.count, header.endOffset);
    return walk.records == header.count && walk.end == header.endOffset;
}

bool Repair(uint8_t* block, size_t size)
{
    int32_t usable = Usable(size);
    if (usable < kHeaderSize || IsConsistent(block, size))
        return false;
    Header header = ReadHeader(block);
    bool endValid = header.endOffset >= kHeaderSize && header.endOffset <= usable;
    int32_t limit = endValid ? header.endOffset : kHeaderSize;
    int32_t maxRecords = header.count >= 0 && header.count <= kMaxRecords ? header.count : kMaxRecords;
    Walk walk = WalkRecords(block, maxRecords, limit);
    std::memset(block + walk.end, 0, static_cast<size_t>(limit - walk.end));
    WriteHeader(block, walk.records, walk.end);
    return true;
}

bool Append(uint8_t* block, size_t size, const void* data, int32_t length)
{
    int32_t usable = Usable(size);
    if (!IsConsistent(block, size) || length < 0)
        return false;
    Header header = ReadHeader(block);
    if (header.count >= kMaxRecords || length > usable - header.endOffset - kLengthSize)
        return false;
    WriteInt(block + header.endOffset, length);
    if (length > 0)
        std::memcpy(block + header.endOffset + kLengthSize, data, static_cast<size_t>(length));
    // The count goes first: a writer that dies between the two writes leaves a count
    // that the end offset does not cover, which Repair drops again.
    WriteHeader(block, header.count + 1, header.endOffset + kLengthSize + length);
    return true;
}

bool Remove(uint8_t* block, size_t size, void* buffer, int32_t capacity, int32_t* length)
{
    if (!IsConsistent(block, size))
        return false;
    Header header = ReadHeader(block);
    if (header.count <= 0)
        return false;
    int32_t first = ReadInt(block + kHeaderSize);
    int32_t copied = std::max(0, std::min(first, capacity));
    if (copied > 0)
        std::memcpy(buffer, block + kHeaderSize + kLengthSize, static_cast<size_t>(copied));
    *length = first;
    int32_t taken = kLengthSize + first;
    int32_t rest = header.endOffset - kHeaderSize - taken;
    std::memmove(block + kHeaderSize, block + kHeaderSize + taken, static_cast<size_t>(rest));
    std::memset(block + kHeaderSize + rest, 0, static_cast<size_t>(taken));
    WriteHeader(block, header.count - 1, header.endOffset - taken);
    return true;
}

}  // namespace QueueSection
