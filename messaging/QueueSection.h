// The queue's section layout over a plain byte block: header checks and repair, append
// and remove. The channel runs these under its named mutex; nothing here touches a byte
// outside the block it is given, even while another process rewrites the block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace QueueSection {

// Header at offset 0: record count, then the offset of the first byte after the last
// record. Each record is a 4-byte length N followed by N bytes, packed from offset 8.
struct Header {
    int32_t count;
    int32_t endOffset;
};
static_assert(sizeof(Header) == 8, "the header is two 32-bit integers");
static_assert(offsetof(Header, count) == 0, "count at offset 0");
static_assert(offsetof(Header, endOffset) == 4, "end offset at offset 4");

constexpr int32_t kSectionSize = 65536;
constexpr int32_t kHeaderSize = static_cast<int32_t>(sizeof(Header));
constexpr int32_t kLengthSize = 4;
constexpr int32_t kMaxRecords = 31;
// The longest record an empty full-size section can hold.
constexpr int32_t kMaxRecordLength = kSectionSize - kHeaderSize - kLengthSize;

// A peer that ignores the mutex may write at any moment. Every header field and record
// length is therefore read once, into a local, and only the checked local is used.
// Tests pass an observer that rewrites the block after each of those reads.
class ReadObserver {
public:
    virtual void AfterRead() = 0;

protected:
    ~ReadObserver() = default;
};

// What one pass over a block found: the header as read, and the longest chain of whole
// records from offset 8 within both the header's count and its end offset.
struct Records {
    Header header;
    int32_t usable;                // bytes the queue may use: min(size, 64 KB)
    int32_t limit;                 // end offset if in range, else 8
    int32_t count;                 // whole records found
    int32_t end;                   // offset right after them
    int32_t length[kMaxRecords];   // their lengths, oldest first
    bool consistent;               // header in range and equal to count and end
};

Records ReadRecords(const uint8_t* block, size_t size, ReadObserver* observer = nullptr);

Header ReadHeader(const uint8_t* block);

// True when the header lies within 0..31 records and 8..size, and the record chain
// from offset 8 ends exactly at the end offset after exactly count records.
bool IsConsistent(const uint8_t* block, size_t size, ReadObserver* observer = nullptr);

// Brings the header in line with the longest prefix of whole records that fits both the
// header's count and its end offset (an end offset outside 8..size, e.g. the zeros of a
// new or cleared section, leaves an empty queue), and zeroes the bytes that the old end
// offset covered beyond the new one. Returns true when it changed anything.
bool Repair(uint8_t* block, size_t size, ReadObserver* observer = nullptr);

// Appends one record; false, with nothing written, when the section is not consistent,
// the queue holds 31 records, the length is negative, or the record does not fit
// before the end of the block.
bool Append(uint8_t* block, size_t size, const void* data, int32_t length, ReadObserver* observer = nullptr);

// Takes the oldest record out: copies at most capacity bytes of it to buffer, stores
// its full length in *length, moves later records down and zeroes the freed tail.
// False, with buffer and length untouched, when the queue is empty or not consistent.
bool Remove(uint8_t* block, size_t size, void* buffer, int32_t capacity, int32_t* length,
            ReadObserver* observer = nullptr);

// Calls visit(data, length) for each record, oldest first, of a consistent section.
template <typename Visit>
void ForEachRecord(const uint8_t* block, size_t size, Visit visit);

}  // namespace QueueSection

#include "messaging/QueueSection.inl"
