// A second process for the queue tests.
//   queue_peer write PREFIX WRITER COUNT   pushes COUNT records, waiting while the queue is full
//   queue_peer hammer PREFIX WRITER HOLDS  pushes two records under each of HOLDS holds of the
//                                          mutex, then takes it once more, signals PREFIX + "Held"
//                                          and pushes under that hold until killed
#include "messaging/SharedMemoryChannel.h"
#include "tests/wine/QueueTestRecord.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

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
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, (prefix + "Held").c_str());
    int32_t sequence = 0;
    for (int hold = 0;; ++hold) {
        channel.Lock(INFINITE);
        const bool last = hold == holds;
        if (last)
            SetEvent(held);  // from here on a kill lands while the mutex is held
        for (int i = 0; last || i < 2; ++i) {
            std::string record = MakeQueueTestRecord(writer, sequence);
            if (channel.Push(record.data(), static_cast<int32_t>(record.size())))
                ++sequence;
        }
        channel.Unlock();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    std::string mode = argv[1], prefix = argv[2];
    int32_t writer = atoi(argv[3]);
    // Never destroyed: destroying a channel clears the section under the reader.
    auto* channel = new SharedMemoryChannel;
    if (!channel->Open(prefix))
        return 1;
    if (mode == "write" && argc == 5)
        return Write(*channel, writer, atoi(argv[4]));
    if (mode == "hammer" && argc == 5)
        return Hammer(*channel, prefix, writer, atoi(argv[4]));
    return 2;
}
