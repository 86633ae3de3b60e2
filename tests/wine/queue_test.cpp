// The shared-memory queue across threads and processes: layout seen through a second
// mapping, hostile and squatted sections, concurrent writers, writers killed mid-push.
#include "client/WinThread.h"
#include "framework/KernelHandle.h"
#include "messaging/GameSite.h"
#include "messaging/SharedMemoryChannel.h"
#include "tests/wine/QueueTestRecord.h"
#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace QueueSection;

namespace {

// A name prefix no other test or running client uses.
std::string UniquePrefix(const char* test)
{
    return std::string("QueueTest") + test + std::to_string(GetCurrentProcessId());
}

// A second, raw view of a channel's section, as another process sees it.
class RawSection {
public:
    explicit RawSection(const std::string& prefix)
        : m_mapping(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, SharedMemoryChannel::SectionName(prefix).c_str()))
    {
        if (m_mapping)
            m_view = CMappedView(MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
        m_pView = static_cast<uint8_t*>(m_view.Get());
    }

    uint8_t* View() const { return m_pView; }
    Header ReadHeader() const { return QueueSection::ReadHeader(m_pView); }
    void WriteHeader(int32_t count, int32_t end)
    {
        std::memcpy(m_pView, &count, 4);
        std::memcpy(m_pView + 4, &end, 4);
    }

private:
    CKernelHandle m_mapping;
    CMappedView m_view;
    uint8_t* m_pView = nullptr;  // m_view's address, typed
};

std::string PopString(SharedMemoryChannel& channel)
{
    std::vector<char> buffer(kMaxRecordLength);
    int32_t length = -1;
    if (!channel.Pop(buffer.data(), &length))
        return "<empty>";
    return std::string(buffer.data(), static_cast<size_t>(length));
}

bool PushString(SharedMemoryChannel& channel, const std::string& record)
{
    return channel.Push(record.data(), static_cast<int32_t>(record.size())) == 1;
}

// Checks every record that comes out: whole, and in order per writer with no gap.
struct SequenceChecker {
    std::map<int32_t, int32_t> next;  // writer -> expected sequence
    int torn = 0, outOfOrder = 0, total = 0;

    // Takes out up to limit records; returns how many came.
    int Drain(SharedMemoryChannel& channel, int limit = 1 << 30)
    {
        std::vector<uint8_t> buffer(kMaxRecordLength);
        int taken = 0;
        int32_t length = 0;
        while (taken < limit && channel.Pop(buffer.data(), &length)) {
            ++taken;
            QueueTestRecord record;
            if (!ParseQueueTestRecord(buffer.data(), length, &record)) {
                ++torn;
                continue;
            }
            if (record.sequence != next[record.writer])
                ++outOfOrder;
            next[record.writer] = record.sequence + 1;
        }
        total += taken;
        return taken;
    }
};

bool OtherThreadCanLock(const std::string& prefix)
{
    bool acquired = false;
    WinThread([&] {
        CKernelHandle mutex(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, SharedMemoryChannel::MutexName(prefix).c_str()));
        DWORD wait = mutex ? WaitForSingleObject(mutex.Get(), 0) : WAIT_FAILED;
        acquired = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        if (acquired)
            ReleaseMutex(mutex.Get());
    }).Join();
    return acquired;
}

// One open channel on a queue of its own, with a raw view of its section.
struct OpenQueue : ::testing::Test {
    std::string prefix = UniquePrefix(::testing::UnitTest::GetInstance()->current_test_info()->name());
    SharedMemoryChannel channel;
    int opened = channel.Open(prefix);
    RawSection raw{prefix};

    void SetUp() override { ASSERT_EQ(1, opened); }
};

}  // namespace

TEST(SharedMemoryChannel, CreatorInitialisesAndSecondOpenerAdopts)
{
    std::string prefix = UniquePrefix("Open");
    SharedMemoryChannel first;
    ASSERT_EQ(1, first.Open(prefix));
    RawSection raw(prefix);
    ASSERT_NE(nullptr, raw.View());
    EXPECT_EQ(0, raw.ReadHeader().count);
    EXPECT_EQ(8, raw.ReadHeader().endOffset);
    ASSERT_TRUE(PushString(first, "abc"));
    ASSERT_TRUE(PushString(first, "12345"));
    std::vector<uint8_t> before(raw.View(), raw.View() + kSectionSize);

    SharedMemoryChannel second;
    ASSERT_EQ(1, second.Open(prefix));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), raw.View())) << "a second opener writes nothing";
    EXPECT_EQ(24, raw.ReadHeader().endOffset);
    EXPECT_EQ("abc", PopString(second));
    EXPECT_EQ(17, raw.ReadHeader().endOffset);
    EXPECT_EQ("12345", PopString(first));
    EXPECT_EQ("<empty>", PopString(second));
}

TEST_F(OpenQueue, ClearLeavesZerosThatPushNeverWritesOver)
{
    ASSERT_TRUE(PushString(channel, "gone"));
    ASSERT_EQ(1, channel.Clear());
    EXPECT_EQ(0, raw.ReadHeader().count);
    EXPECT_EQ(0, raw.ReadHeader().endOffset);
    ASSERT_TRUE(PushString(channel, "xy"));
    EXPECT_EQ(1, raw.ReadHeader().count) << "the header is a header again";
    EXPECT_EQ(14, raw.ReadHeader().endOffset);
    EXPECT_EQ("xy", PopString(channel));
}

TEST_F(OpenQueue, HostileHeadersAreRepairedNotFollowed)
{
    struct Row {
        int32_t count, end;
    } rows[] = {{31, 70000}, {-7, 8}, {1, 8}, {5, -1}, {0x7FFFFFFF, 0x7FFFFFFF}};
    for (const Row& row : rows) {
        raw.WriteHeader(row.count, row.end);
        EXPECT_TRUE(PushString(channel, "ok")) << "header " << row.count << "," << row.end;
        EXPECT_EQ("ok", PopString(channel)) << "header " << row.count << "," << row.end;
        EXPECT_EQ(8, raw.ReadHeader().endOffset);
    }
    int32_t hugeLength = 0x40000000;
    raw.WriteHeader(1, 12);
    std::memcpy(raw.View() + 8, &hugeLength, 4);
    EXPECT_EQ("<empty>", PopString(channel)) << "a record longer than the queue";
}

TEST_F(OpenQueue, FullQueueAndOversizedRecordAreRefused)
{
    std::string message(2068, 'm');
    for (int i = 0; i < 31; ++i)
        ASSERT_TRUE(PushString(channel, message)) << "record " << i;
    EXPECT_FALSE(PushString(channel, "x")) << "the 32nd record";
    EXPECT_TRUE(OtherThreadCanLock(prefix)) << "refusal releases the mutex";

    SharedMemoryChannel empty;
    ASSERT_EQ(1, empty.Open(UniquePrefix("Big")));
    EXPECT_FALSE(PushString(empty, std::string(kMaxRecordLength + 1, 'b')));
}

// Sections under our name that are not ours: too small, far too large (mapping it whole
// would cost the client its address space), or reserved pages that fault on first touch.
TEST(SharedMemoryChannel, SquattedNamesAreRefused)
{
    struct Row {
        const char* what;
        DWORD protect, size;
    } rows[] = {
        {"a 4 KB section", PAGE_READWRITE, 4096},
        {"a 450 MB section", PAGE_READWRITE, 450u << 20},
        {"64 KB of reserved pages", PAGE_READWRITE | SEC_RESERVE, kSectionSize},
    };
    for (const Row& row : rows) {
        std::string prefix = UniquePrefix("Squat") + std::to_string(row.size);
        CKernelHandle squat(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, row.protect, 0, row.size,
                                               SharedMemoryChannel::SectionName(prefix).c_str()));
        ASSERT_TRUE(squat) << row.what;
        SharedMemoryChannel channel;
        EXPECT_EQ(0, channel.Open(prefix)) << row.what;
        EXPECT_FALSE(PushString(channel, "x")) << row.what << ": push on a closed channel";
        EXPECT_EQ("<empty>", PopString(channel)) << row.what;
        EXPECT_TRUE(OtherThreadCanLock(prefix)) << row.what << ": the closed channel leaves the mutex released";
        if (!(row.protect & SEC_RESERVE)) {
            DWORD seen = std::min<DWORD>(row.size, kSectionSize);
            CMappedView mapped(MapViewOfFile(squat.Get(), FILE_MAP_ALL_ACCESS, 0, 0, seen));
            ASSERT_TRUE(mapped) << row.what;
            const auto* view = static_cast<const uint8_t*>(mapped.Get());
            EXPECT_EQ(static_cast<ptrdiff_t>(seen), std::count(view, view + seen, 0))
                << row.what << ": the squatter's section is untouched";
        }
    }

    std::string mutexPrefix = UniquePrefix("SquatMutex");
    CKernelHandle event(CreateEventA(nullptr, TRUE, FALSE, SharedMemoryChannel::MutexName(mutexPrefix).c_str()));
    ASSERT_TRUE(event);
    SharedMemoryChannel noMutex;
    EXPECT_EQ(0, noMutex.Open(mutexPrefix)) << "no mutex, no queue";
    EXPECT_FALSE(PushString(noMutex, "x"));
}

TEST(SharedMemoryChannel, TwoWriterProcessesOneReaderLoseNothing)
{
    std::string prefix = UniquePrefix("Concurrent");
    SharedMemoryChannel reader;
    ASSERT_EQ(1, reader.Open(prefix));
    const int perWriter = 3000;
    ChildProcess writer1(QueuePeerCommand("write ") + prefix + " 1 " + std::to_string(perWriter));
    ChildProcess writer2(QueuePeerCommand("write ") + prefix + " 2 " + std::to_string(perWriter));
    ASSERT_TRUE(writer1.Started() && writer2.Started());
    SequenceChecker checker;
    DWORD deadline = GetTickCount() + 120000;
    while (checker.total < 2 * perWriter && static_cast<LONG>(GetTickCount() - deadline) < 0)
        if (!checker.Drain(reader))
            Sleep(0);
    WaitForSingleObject(writer1.Process(), 10000);
    WaitForSingleObject(writer2.Process(), 10000);
    checker.Drain(reader);
    EXPECT_EQ(0u, writer1.ExitCode()) << "writer 1";
    EXPECT_EQ(0u, writer2.ExitCode()) << "writer 2";
    EXPECT_EQ(2 * perWriter, checker.total) << "records taken out";
    EXPECT_EQ(0, checker.torn) << "torn records";
    EXPECT_EQ(0, checker.outOfOrder) << "records out of order, lost or repeated";
    EXPECT_EQ(perWriter, checker.next[1]) << "writer 1's last sequence + 1";
    EXPECT_EQ(perWriter, checker.next[2]) << "writer 2's last sequence + 1";
}

TEST(SharedMemoryChannel, WriterKilledHoldingTheMutexLeavesAConsistentQueue)
{
    std::string prefix = UniquePrefix("Killed");
    SharedMemoryChannel reader;
    ASSERT_EQ(1, reader.Open(prefix));
    RawSection raw(prefix);
    CKernelHandle readyEvent(CreateEventA(nullptr, TRUE, FALSE, (prefix + "Ready").c_str()));
    CKernelHandle mutexHandle(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, SharedMemoryChannel::MutexName(prefix).c_str()));
    ASSERT_TRUE(mutexHandle);
    HANDLE ready = readyEvent.Get(), mutex = mutexHandle.Get();
    const int kRounds = 60;
    int abandoned = 0, inconsistent = 0, records = 0;
    for (int round = 0; round < kRounds; ++round) {
        ResetEvent(ready);
        SequenceChecker checker;
        {
            // Up to 20 records before the last hold leave it room to append.
            ChildProcess hammer(QueuePeerCommand("hammer " + prefix + " " + std::to_string(round) + " " +
                                                 std::to_string(round % 11)));
            ASSERT_TRUE(hammer.Started());
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 30000)) << "round " << round << ": holding";
            // A varying spin moves the kill within the appends of the last hold.
            for (volatile int spin = 0; spin < round * 997 % 20000; ++spin) {
            }
            TerminateProcess(hammer.Process(), 1);
            WaitForSingleObject(hammer.Process(), INFINITE);
        }
        DWORD wait = WaitForSingleObject(mutex, 5000);
        abandoned += wait == WAIT_ABANDONED;
        inconsistent += !IsConsistent(raw.View(), kSectionSize);
        ReleaseMutex(mutex);
        checker.Drain(reader);
        records += checker.total;
        EXPECT_EQ(0, checker.torn) << "round " << round;
        EXPECT_EQ(0, checker.outOfOrder) << "round " << round;
        EXPECT_TRUE(IsConsistent(raw.View(), kSectionSize)) << "round " << round << " after repair";
    }
    EXPECT_EQ(kRounds, abandoned) << "every writer was killed holding the mutex";
    EXPECT_GT(records, 0) << "records that came through";
    printf("[ info ] %d of %d kills left a header to repair, %d records checked\n", inconsistent, kRounds, records);
}

namespace {

DWORD MillisecondsSince(DWORD start) { return GetTickCount() - start; }

}  // namespace

// A process that takes the mutex and keeps it: opening still succeeds after a second,
// without initialising the section, and every operation gives up after a second,
// touching nothing. Once the holder lets go the queue works from the header it finds.
TEST(SharedMemoryChannel, AMutexHeldElsewhereCostsAtMostASecondAndTouchesNothing)
{
    std::string prefix = UniquePrefix("Held");
    ReadyPeer holder(prefix, "hold " + prefix + " 6");
    ASSERT_TRUE(holder.Ready());
    SharedMemoryChannel channel;
    DWORD start = GetTickCount();
    ASSERT_EQ(1, channel.Open(prefix)) << "opened without initialising";
    DWORD openMs = MillisecondsSince(start);
    RawSection raw(prefix);
    ASSERT_NE(nullptr, raw.View());
    EXPECT_EQ(0, raw.ReadHeader().endOffset) << "the new section stays as it was made";

    start = GetTickCount();
    EXPECT_EQ(0, PushString(channel, "late")) << "push";
    DWORD pushMs = MillisecondsSince(start);
    // Both gave up on their own: the holder, which keeps the mutex for 6 s, still has it.
    // No bound on the time: a loaded machine stretches the second, never the holder's 6.
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(holder.Process().Process(), 0))
        << "it waited for the holder";
    std::vector<char> buffer(kMaxRecordLength);
    int32_t length = -7;
    EXPECT_EQ(0, channel.Pop(buffer.data(), &length)) << "pop";
    EXPECT_EQ(-7, length) << "pop left the length alone";
    EXPECT_EQ(0, channel.Clear()) << "clear";
    for (DWORD ms : {openMs, pushMs})
        EXPECT_GE(ms, 900u) << "it did wait";
    EXPECT_EQ(kSectionSize, std::count(raw.View(), raw.View() + kSectionSize, 0)) << "nothing was written";

    WaitForSingleObject(holder.Process().Process(), 10000);
    EXPECT_TRUE(PushString(channel, "after")) << "the holder has let go";
    EXPECT_EQ(1, raw.ReadHeader().count);
    EXPECT_EQ("after", PopString(channel));
    printf("[ info ] open waited %lu ms, push %lu ms\n", openMs, pushMs);
}

// A peer rewrites counts, end offsets and record lengths without the mutex while writer
// processes, a GameSite and the queue reader work on the queue, and this process takes
// records out: records may come out garbled, but nobody crashes or reads past the view.
TEST(SharedMemoryChannel, ARewriterWithoutTheMutexGarblesButBreaksNothing)
{
    const int kSeconds = 10;
    std::string prefix = UniquePrefix("Rewritten");
    GameSite site(prefix);
    ReadyPeer rewriter(prefix, "rewrite " + prefix + " " + std::to_string(kSeconds));
    ASSERT_TRUE(rewriter.Ready());
    std::string seconds = " " + std::to_string(kSeconds);
    ChildProcess writer1(QueuePeerCommand("spam " + prefix + " 1" + seconds));
    ChildProcess writer2(QueuePeerCommand("spam " + prefix + " 2" + seconds));
    ChildProcess reader("\"" + BinDir() + "\\queue_reader.exe\" --prefix " + prefix +
                        " --follow 100000000 --seconds" + seconds,
                        true);
    ASSERT_TRUE(writer1.Started() && writer2.Started() && reader.Started());
    SharedMemoryChannel taker;
    ASSERT_EQ(1, taker.Open(prefix));
    std::vector<uint8_t> buffer(kMaxRecordLength);
    int posted = 0, taken = 0, postFailures = 0;
    DWORD deadline = GetTickCount() + kSeconds * 1000;
    while (static_cast<LONG>(GetTickCount() - deadline) < 0) {
        const uint8_t payload[] = {1, 2, 3, 4, 5};
        postFailures += site.PostType6(sizeof payload, payload) != S_OK;
        ++posted;
        int32_t length = -1;
        if (taker.Pop(buffer.data(), &length, static_cast<int32_t>(buffer.size()))) {
            ++taken;
            ASSERT_GE(length, 0);
            ASSERT_LE(length, kMaxRecordLength);
        }
    }
    const ChildProcess* peers[] = {&rewriter.Process(), &writer1, &writer2, &reader};
    for (const ChildProcess* peer : peers) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(peer->Process(), 30000));
        EXPECT_EQ(0u, peer->ExitCode()) << "a peer that ended otherwise than by finishing its run";
    }
    EXPECT_EQ(0, postFailures) << "GameSite answers S_OK whatever the queue does";
    EXPECT_GT(taken, 0) << "records still came through";
    int32_t length = 0;
    while (taker.Pop(buffer.data(), &length, static_cast<int32_t>(buffer.size())))
        ++taken;
    RawSection raw(prefix);
    EXPECT_EQ(1, PushString(taker, "whole again")) << "the next operation repairs what it finds";
    EXPECT_TRUE(IsConsistent(raw.View(), kSectionSize));
    printf("[ info ] %d posts, %d records taken out beside the rewriter\n", posted, taken);
}

TEST(QueueReader, PrintsWhatAGameSitePostedInAnotherProcess)
{
    std::string prefix = UniquePrefix("Reader");
    GameSite site(prefix);
    const uint8_t five[] = {1, 2, 3, 4, 5};
    const char text[] = "你好";
    ASSERT_EQ(S_OK, site.PostType6(5, five));
    ASSERT_EQ(S_OK, site.PostType7(static_cast<int32_t>(std::strlen(text)), text));
    ASSERT_EQ(S_OK, site.PostType8(-42, 0, nullptr));
    std::string reader = "\"" + BinDir() + "\\queue_reader.exe\" --prefix " + prefix;

    ProcessResult peek = RunProcess(reader + " --peek", BinDir());
    EXPECT_EQ(0u, peek.exitCode) << peek.output;
    EXPECT_NE(std::string::npos, peek.output.find("3 record(s) waiting")) << peek.output;

    ProcessResult taken = RunProcess(reader, BinDir());
    taken.output.erase(std::remove(taken.output.begin(), taken.output.end(), '\r'), taken.output.end());
    EXPECT_EQ(0u, taken.exitCode) << taken.output;
    const char* expected[] = {
        "#1 type=6 value=0 length=5\n   hex:  01 02 03 04 05\n",
        "#2 type=7 value=0 length=4\n   hex:  C4 E3 BA C3\n   text: \xE4\xBD\xA0\xE5\xA5\xBD\n",
        "#3 type=8 value=-42 length=0\n",
        "3 record(s) taken",
    };
    for (const char* line : expected)
        EXPECT_NE(std::string::npos, taken.output.find(line)) << "want: " << line << "\nsaw: " << taken.output;
    RawSection raw(prefix);
    EXPECT_EQ(0, raw.ReadHeader().count) << "the reader took every record out";
}
