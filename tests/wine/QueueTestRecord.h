// Self-checking records that the queue tests' writer processes push: writer, sequence
// number and length up front, then a pattern derived from all three.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

struct QueueTestRecord {
    int32_t writer;
    int32_t sequence;
};

inline uint8_t QueueTestPatternByte(int32_t writer, int32_t sequence, size_t i)
{
    return static_cast<uint8_t>(writer * 131 + sequence * 7 + static_cast<int32_t>(i));
}

// Lengths vary from 12 to 2068 bytes so records straddle every alignment.
inline std::string MakeQueueTestRecord(int32_t writer, int32_t sequence)
{
    int32_t length = 12 + (sequence * 97 + writer * 13) % 2057;
    std::string record(static_cast<size_t>(length), '\0');
    int32_t fields[3] = {writer, sequence, length};
    std::memcpy(&record[0], fields, sizeof fields);
    for (size_t i = sizeof fields; i < record.size(); ++i)
        record[i] = static_cast<char>(QueueTestPatternByte(writer, sequence, i));
    return record;
}

// True when bytes are one whole, untorn record; fills *parsed.
inline bool ParseQueueTestRecord(const uint8_t* bytes, int32_t length, QueueTestRecord* parsed)
{
    if (length < 12)
        return false;
    int32_t fields[3];
    std::memcpy(fields, bytes, sizeof fields);
    if (fields[2] != length)
        return false;
    std::string expected = MakeQueueTestRecord(fields[0], fields[1]);
    if (expected.size() != static_cast<size_t>(length) || std::memcmp(expected.data(), bytes, expected.size()))
        return false;
    *parsed = QueueTestRecord{fields[0], fields[1]};
    return true;
}
