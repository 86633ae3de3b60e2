// A second process for the queue tests, well-behaved or hostile. Every mode that waits
// for the test signals the event PREFIX + "Ready" once it is in place.
//   queue_peer write PREFIX WRITER COUNT   pushes COUNT records, waiting while the queue is full
//   queue_peer hammer PREFIX WRITER HOLDS  pushes two records under each of HOLDS holds of the
//                                          mutex, then takes it once more, signals ready and
//                                          pushes under that hold until killed
//   queue_peer spam PREFIX WRITER SECONDS  pushes records for SECONDS, whatever comes back
//   queue_peer hold PREFIX SECONDS         takes the mutex and keeps it for SECONDS
//   queue_peer rewrite PREFIX SECONDS      rewrites counts, end offsets and record lengths of
//                                          an existing section, without the mutex, for SECONDS
//   queue_peer squat PREFIX small|huge|reserve
//                                          creates the section first: 4 KB, 450 MB, or 64 KB of
//                                          reserved pages; keeps it until killed (at most 60 s)
#include "framework/KernelHandle.h"
#include "messaging/SharedMemoryChannel.h"
#include "tests/wine/QueueTestRecord.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void SignalReady(const std::string& prefix)
{
    CKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, (prefix + "Ready").c_str()));
    SetEvent(ready.Get());
}

bool Before(DWORD deadline) { return static_cast<LONG>(GetTickCount() - deadline) < 0; }

// Pushes one record, retrying while the queue is full; false when the channel refuses
// for another reason for too long.
bool PushWaiting(SharedMemoryChannel& channel, const std::string& record)
{
    for (int attempt = 0; attempt < 200000; ++attempt) {
        if (channel.Push(record.data(), static_cast<int32_t>(record.size())))
            return true;
        Sleep(attempt % 16 ? 0 : 1);
    }
    return false;
}

int Write(SharedMemoryChannel& channel, int32_t writer, int32_t count)
{
    for (int32_t sequence = 0; sequence < count; ++sequence)
        if (!PushWaiting(channel, MakeQueueTestRecord(writer, sequence)))
            return 3;
    return 0;
}

int Hammer(SharedMemoryChannel& channel, const std::string& prefix, int32_t writer, int holds)
{
    int32_t sequence = 0;
    for (int hold = 0;; ++hold) {
        channel.Lock(INFINITE);
        const bool last = hold == holds;
        if (last)
            SignalReady(prefix);  // from here on a kill lands while the mutex is held
        for (int i = 0; last || i < 2; ++i) {
            std::string record = MakeQueueTestRecord(writer, sequence);
            if (channel.Push(record.data(), static_cast<int32_t>(record.size())))
                ++sequence;
        }
        channel.Unlock();
    }
}

int Spam(SharedMemoryChannel& channel, int32_t writer, DWORD seconds)
{
    DWORD deadline = GetTickCount() + seconds * 1000;
    for (int32_t sequence = 0; Before(deadline); ++sequence) {
        std::string record = MakeQueueTestRecord(writer, sequence);
        if (!channel.Push(record.data(), static_cast<int32_t>(record.size())))
            Sleep(1);
    }
    return 0;
}

int Hold(const std::string& prefix, DWORD seconds)
{
    CKernelHandle mutex(CreateMutexA(nullptr, FALSE, SharedMemoryChannel::MutexName(prefix).c_str()));
    if (!mutex || WaitForSingleObject(mutex.Get(), INFINITE) != WAIT_OBJECT_0)
        return 1;
    SignalReady(prefix);
    Sleep(seconds * 1000);
    ReleaseMutex(mutex.Get());
    return 0;
}

// Offset of the k-th record's length field, following the chain as it stands now.
size_t LengthField(const uint8_t* view, uint32_t k)
{
    size_t at = QueueSection::kHeaderSize;
    for (; k > 0; --k) {
        int32_t length;
        std::memcpy(&length, view + at, sizeof length);
        if (length < 0 || length > QueueSection::kSectionSize - 4 - static_cast<int32_t>(at))
            return 0;
        at += 4 + static_cast<size_t>(length);
        if (at + 4 > static_cast<size_t>(QueueSection::kSectionSize))
            return 0;
    }
    return at;
}

int Rewrite(const std::string& prefix, DWORD seconds)
{
    CKernelHandle mapping(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, SharedMemoryChannel::SectionName(prefix).c_str()));
    CMappedView mapped(mapping ? MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, QueueSection::kSectionSize)
                               : nullptr);
    auto* view = static_cast<uint8_t*>(mapped.Get());
    if (!view)
        return 1;
    SignalReady(prefix);
    const int32_t values[] = {INT32_MAX, INT32_MIN, -1, 0, 1, 8, 31, 32, 2068, 65532, 65536, 0x10000000};
    uint32_t random = GetTickCount();
    DWORD deadline = GetTickCount() + seconds * 1000;
    for (uint32_t round = 0; Before(deadline); ++round) {
        random = random * 1664525u + 1013904223u;
        uint32_t pick = random >> 8;
        size_t where = pick % 4 == 0 ? 0 : pick % 4 == 1 ? 4 : LengthField(view, (pick >> 2) % 8);
        int32_t value = values[(pick >> 5) % (sizeof values / sizeof values[0])];
        std::memcpy(view + where, &value, sizeof value);
        if (round % 256 == 0)
            Sleep(0);
    }
    return 0;
}

int Squat(const std::string& prefix, const std::string& kind)
{
    DWORD protect = PAGE_READWRITE, size = 4096;
    if (kind == "huge")
        size = 450u << 20;
    else if (kind == "reserve")
        protect |= SEC_RESERVE, size = QueueSection::kSectionSize;
    else if (kind != "small")
        return 2;
    CKernelHandle section(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, protect, 0, size,
                                             SharedMemoryChannel::SectionName(prefix).c_str()));
    if (!section || GetLastError() == ERROR_ALREADY_EXISTS)
        return 1;
    SignalReady(prefix);
    Sleep(60000);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    std::string mode = argv[1], prefix = argv[2];
    if (mode == "hold")
        return Hold(prefix, static_cast<DWORD>(atoi(argv[3])));
    if (mode == "rewrite")
        return Rewrite(prefix, static_cast<DWORD>(atoi(argv[3])));
    if (mode == "squat")
        return Squat(prefix, argv[3]);
    int32_t writer = atoi(argv[3]);
    // Never destroyed: destroying a channel clears the section under the reader.
    auto* channel = new SharedMemoryChannel;
    if (!channel->Open(prefix))
        return 1;
    if (mode == "write" && argc == 5)
        return Write(*channel, writer, atoi(argv[4]));
    if (mode == "hammer" && argc == 5)
        return Hammer(*channel, prefix, writer, atoi(argv[4]));
    if (mode == "spam" && argc == 5)
        return Spam(*channel, writer, static_cast<DWORD>(atoi(argv[4])));
    return 2;
}
