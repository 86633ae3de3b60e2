// The queue's section logic over a plain byte block, natively under the sanitizers.
#include "messaging/ChannelMessage.h"
#include "messaging/QueueSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace QueueSection;

namespace {

struct Section {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kSectionSize);

    Section() { Repair(bytes.data(), bytes.size()); }
    uint8_t* data() { return bytes.data(); }
    Header header() const { return ReadHeader(bytes.data()); }
    bool Push(const std::string& record)
    {
        return Append(bytes.data(), bytes.size(), record.data(), static_cast<int32_t>(record.size()));
    }
    bool Pop(std::string* record)
    {
        std::vector<char> buffer(kMaxRecordLength);
        int32_t length = -1;
        if (!Remove(bytes.data(), bytes.size(), buffer.data(), kMaxRecordLength, &length))
            return false;
        record->assign(buffer.data(), static_cast<size_t>(length));
        return true;
    }
    void SetHeader(int32_t count, int32_t end)
    {
        std::memcpy(data(), &count, 4);
        std::memcpy(data() + 4, &end, 4);
    }
    bool ZeroFrom(int32_t offset) const
    {
        for (size_t i = static_cast<size_t>(offset); i < bytes.size(); ++i)
            if (bytes[i])
                return false;
        return true;
    }
};

}  // namespace

TEST(QueueSection, NewSectionBecomesEmptyQueue)
{
    Section section;
    EXPECT_EQ(0, section.header().count);
    EXPECT_EQ(8, section.header().endOffset);
    EXPECT_TRUE(IsConsistent(section.data(), kSectionSize));
}

TEST(QueueSection, PushPopKeepsOrderAndPacking)
{
    Section section;
    ASSERT_TRUE(section.Push("abc"));
    ASSERT_TRUE(section.Push("12345"));
    EXPECT_EQ(24, section.header().endOffset) << "8 + 7 + 9";
    std::string record;
    ASSERT_TRUE(section.Pop(&record));
    EXPECT_EQ("abc", record);
    EXPECT_EQ(17, section.header().endOffset);
    EXPECT_EQ(1, section.header().count);
    int32_t movedLength;
    std::memcpy(&movedLength, section.data() + 8, 4);
    EXPECT_EQ(5, movedLength) << "the 5-byte record now starts at offset 8";
    EXPECT_TRUE(section.ZeroFrom(17)) << "the freed tail is zero";
    ASSERT_TRUE(section.Pop(&record));
    EXPECT_EQ("12345", record);
    EXPECT_EQ(8, section.header().endOffset);
    EXPECT_TRUE(section.ZeroFrom(8)) << "the record area is zero after the last pop";
}

TEST(QueueSection, EmptyRecordAndEmptyQueue)
{
    Section section;
    char buffer[4] = {'x', 'x', 'x', 'x'};
    int32_t length = 77;
    EXPECT_FALSE(Remove(section.data(), kSectionSize, buffer, 4, &length));
    EXPECT_EQ(77, length) << "length untouched on an empty queue";
    EXPECT_EQ('x', buffer[0]) << "buffer untouched on an empty queue";
    ASSERT_TRUE(section.Push(""));
    EXPECT_EQ(12, section.header().endOffset) << "an empty record takes 4 bytes";
    std::string record = "old";
    ASSERT_TRUE(section.Pop(&record));
    EXPECT_EQ("", record);
}

TEST(QueueSection, RefusesThe32ndRecordAndRecordsThatDoNotFit)
{
    Section section;
    std::string message(kChannelMessageSize, 'm');
    for (int i = 0; i < 31; ++i)
        ASSERT_TRUE(section.Push(message)) << "record " << i;
    EXPECT_EQ(64240, section.header().endOffset) << "31 messages of 2072 bytes";
    std::vector<uint8_t> before = section.bytes;
    EXPECT_FALSE(section.Push("x")) << "the 32nd record";
    EXPECT_TRUE(before == section.bytes) << "a refused push writes nothing";

    Section big;
    EXPECT_FALSE(big.Push(std::string(kMaxRecordLength + 1, 'b'))) << "one byte past the section";
    EXPECT_TRUE(big.Push(std::string(kMaxRecordLength, 'b'))) << "exactly fills the section";
    EXPECT_EQ(kSectionSize, big.header().endOffset);
    EXPECT_FALSE(Append(big.data(), kSectionSize, "", -1)) << "negative length";
}

TEST(QueueSection, ShortBufferGetsTheStartAndTheFullLength)
{
    Section section;
    ASSERT_TRUE(section.Push("0123456789"));
    char buffer[4] = {};
    int32_t length = 0;
    ASSERT_TRUE(Remove(section.data(), kSectionSize, buffer, 4, &length));
    EXPECT_EQ(10, length);
    EXPECT_EQ(0, std::memcmp(buffer, "0123", 4));
    EXPECT_EQ(0, section.header().count);
}

// Headers left by a peer that died mid-operation, or written by a hostile one.
TEST(QueueSection, RepairKeepsTheLongestConsistentPrefix)
{
    struct Row {
        const char* what;
        int32_t count, end;  // header to plant over three records "aa","bbbb","c" (end 27)
        int32_t wantCount, wantEnd;
    } rows[] = {
        {"consistent", 3, 27, 3, 27},
        {"count raised, end not yet (push torn)", 4, 27, 3, 27},
        {"count lowered, end not yet (pop torn)", 2, 27, 2, 22},
        {"end inside a record", 3, 20, 1, 14},
        {"negative count", -1, 27, 3, 27},
        {"count above 31", 1000, 27, 3, 27},
        {"cleared header", 0, 0, 0, 8},
        {"end below the header", 3, 4, 0, 8},
        {"end past the section", 3, kSectionSize + 1, 0, 8},
        {"negative end", 3, -100, 0, 8},
    };
    for (const Row& row : rows) {
        Section section;
        section.Push("aa");
        section.Push("bbbb");
        section.Push("c");
        section.SetHeader(row.count, row.end);
        Repair(section.data(), kSectionSize);
        EXPECT_EQ(row.wantCount, section.header().count) << row.what;
        EXPECT_EQ(row.wantEnd, section.header().endOffset) << row.what;
        EXPECT_TRUE(IsConsistent(section.data(), kSectionSize)) << row.what;
    }
}

TEST(QueueSection, RecordLengthRunningPastTheEndIsNeverFollowed)
{
    Section section;
    section.Push("aa");
    section.Push("bbbb");
    int32_t hostile = 0x7FFFFFF0;
    std::memcpy(section.data() + 14, &hostile, 4);
    EXPECT_FALSE(IsConsistent(section.data(), kSectionSize));
    EXPECT_FALSE(section.Push("x")) << "append on a damaged queue";
    Repair(section.data(), kSectionSize);
    EXPECT_EQ(1, section.header().count);
    EXPECT_EQ(14, section.header().endOffset);
    EXPECT_TRUE(section.ZeroFrom(14)) << "the damaged record is wiped";
}

namespace {

// A peer that ignores the mutex: after the given read of one operation it writes value
// at offset, so the operation sees one thing on reading and another right after.
struct ScriptedPeer : ReadObserver {
    uint8_t* block;
    int after;
    int32_t offset, value;
    int reads = 0;

    ScriptedPeer(uint8_t* b, int a, int32_t o, int32_t v) : block(b), after(a), offset(o), value(v) {}
    void AfterRead() override
    {
        if (reads++ == after)
            std::memcpy(block + offset, &value, 4);
    }
};

}  // namespace

// Reads of a section holding "aa" and "bbbb": 0 count, 1 end offset, 2 and 3 the lengths.
// Whatever changes after a read, the operation goes on with what it read.
TEST(QueueSection, RewritesBetweenReadsNeverChangeWhatAnOperationUses)
{
    struct Row {
        const char* what;
        int after;
        int32_t offset, value;
    } rows[] = {
        {"count raised after it was read", 0, 0, 31},
        {"end offset pushed to the section's end after it was read", 1, 4, kSectionSize},
        {"first length grown after it was checked", 2, 8, 0x7FFFFFF0},
        {"first length made negative after the walk", 3, 8, -5},
        {"second length grown after the walk", 3, 14, 60000},
    };
    for (const Row& row : rows) {
        Section section;
        section.Push("aa");
        section.Push("bbbb");
        ScriptedPeer popPeer(section.data(), row.after, row.offset, row.value);
        char buffer[16] = {};
        int32_t length = -1;
        ASSERT_TRUE(Remove(section.data(), kSectionSize, buffer, sizeof buffer, &length, &popPeer)) << row.what;
        EXPECT_EQ(2, length) << row.what;
        EXPECT_EQ(0, std::memcmp(buffer, "aa", 2)) << row.what;
        EXPECT_EQ(1, section.header().count) << row.what;
        EXPECT_EQ(16, section.header().endOffset) << row.what << ": 22 less the 6 bytes taken";

        // The same rewrites against an append to a queue holding "bbbb" (end offset 16).
        Section one;
        one.Push("bbbb");
        ScriptedPeer pushPeer(one.data(), std::min(row.after, 2), row.offset == 14 ? 8 : row.offset, row.value);
        ASSERT_TRUE(Append(one.data(), kSectionSize, "cc", 2, &pushPeer)) << row.what;
        EXPECT_EQ(2, one.header().count) << row.what;
        EXPECT_EQ(22, one.header().endOffset) << row.what << ": written right after the record read";
        int32_t written;
        std::memcpy(&written, one.data() + 16, 4);
        EXPECT_EQ(2, written) << row.what;
    }
}

TEST(ChannelMessage, PackLayout)
{
    const uint8_t five[] = {1, 2, 3, 4, 5};
    ChannelMessage message;
    ASSERT_TRUE(PackChannelMessage(&message, 6, 0, 5, five));
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&message);
    EXPECT_EQ(6, bytes[0]);
    for (int i = 1; i < 8; ++i)
        EXPECT_EQ(0, bytes[i]) << "offset " << i;
    EXPECT_EQ(0, std::memcmp(bytes + 8, five, 5));
    for (int i = 13; i < 2064; ++i)
        ASSERT_EQ(0, bytes[i]) << "offset " << i;
    EXPECT_EQ(5, message.length);

    ASSERT_TRUE(PackChannelMessage(&message, 8, 42, 0, nullptr));
    EXPECT_EQ(42, message.value);
    EXPECT_EQ(0, message.length);

    std::vector<uint8_t> big(3000, 0xAB);
    for (int32_t bad : {-1, kChannelPayloadSize + 1, INT32_MIN, INT32_MAX})
        EXPECT_FALSE(PackChannelMessage(&message, 6, 0, bad, big.data())) << "length " << bad;
    EXPECT_FALSE(PackChannelMessage(&message, 6, 0, 3, nullptr)) << "null data";
    EXPECT_TRUE(PackChannelMessage(&message, 6, 0, kChannelPayloadSize, big.data()));

    ChannelMessage decoded;
    EXPECT_TRUE(DecodeChannelMessage(&message, kChannelMessageSize, &decoded));
    EXPECT_FALSE(DecodeChannelMessage(&message, kChannelMessageSize - 1, &decoded));
    message.length = 5000;
    EXPECT_FALSE(DecodeChannelMessage(&message, kChannelMessageSize, &decoded)) << "length field";
}
