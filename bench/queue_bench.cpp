// Measures, side by side in one run, what moving one 2068-byte ChannelMessage from one
// process to another through the queue costs, against the floor of one lock-and-unlock
// of the same named mutex, and prints the ratio.
//
//   queue_bench.exe [RECORDS]        (a second copy of itself runs as the popping process)
#include "messaging/ChannelMessage.h"
#include "messaging/SharedMemoryChannel.h"

#include "bench/Stopwatch.h"
#include "framework/KernelHandle.h"
#include "util/ProcessStart.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;

// The popping process: signals that it is ready, then takes out count records.
int PopRecords(const std::string& prefix, int count)
{
    auto* channel = new SharedMemoryChannel;  // kept: destruction would clear the queue
    if (!channel->Open(prefix))
        return 1;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, (prefix + "Ready").c_str());
    SetEvent(ready);
    std::vector<uint8_t> buffer(QueueSection::kMaxRecordLength);
    int32_t length = 0;
    for (int taken = 0; taken < count;)
        if (channel->Pop(buffer.data(), &length))
            ++taken;
        else
            Sleep(0);
    return 0;
}

CKernelHandle StartPopper(const std::string& prefix, int count)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH - 1);
    ProcessStart start;
    start.commandLine = WideFromAnsi(std::string("\"") + self + "\" --pop " + prefix + " " + std::to_string(count));
    return StartProcess(start).process;
}

// Seconds per record pushed here and popped in the other process, end to end.
double TimePushPop(SharedMemoryChannel& channel, const std::string& prefix, int count)
{
    CKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, (prefix + "Ready").c_str()));
    CKernelHandle popper = StartPopper(prefix, count);
    if (!popper || WaitForSingleObject(ready.Get(), 60000) != WAIT_OBJECT_0)
        return -1;
    ChannelMessage message;
    const char text[] = "benchmark payload";
    PackChannelMessage(&message, 6, 0, static_cast<int32_t>(sizeof text), text);
    Stopwatch watch;
    for (int pushed = 0; pushed < count;)
        if (channel.Push(&message, kChannelMessageSize))
            ++pushed;
        else
            Sleep(0);
    WaitForSingleObject(popper.Get(), INFINITE);
    return watch.Seconds() / count;
}

double TimeLockUnlock(SharedMemoryChannel& channel, int count)
{
    Stopwatch watch;
    for (int i = 0; i < count; ++i) {
        channel.Lock(INFINITE);
        channel.Unlock();
    }
    return watch.Seconds() / count;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--pop")
        return PopRecords(argv[2], atoi(argv[3]));
    int count = argc > 1 ? atoi(argv[1]) : 20000;
    std::string prefix = "QueueBench" + std::to_string(GetCurrentProcessId());
    SharedMemoryChannel channel;
    if (count <= 0 || !channel.Open(prefix)) {
        fprintf(stderr, "cannot open the queue\n");
        return 1;
    }
    // The two sides alternate over a few rounds and each keeps its best round, so that a
    // burst of other work on the machine does not land on one side only.
    const int rounds = count < kRounds ? count : kRounds;
    double floor = 1e30, pushPop = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const int share = count / rounds + (round < count % rounds ? 1 : 0);
        const double lockTime = TimeLockUnlock(channel, share);
        const double pushPopTime = TimePushPop(channel, prefix, share);
        if (pushPopTime < 0) {
            fprintf(stderr, "cannot start the popping process\n");
            return 1;
        }
        floor = lockTime < floor ? lockTime : floor;
        pushPop = pushPopTime < pushPop ? pushPopTime : pushPop;
    }
    printf("records: %d of %d bytes\n", count, kChannelMessageSize);
    printf("lock-and-unlock of the named mutex: %.2f us\n", floor * 1e6);
    printf("push-and-pop between two processes: %.2f us per record\n", pushPop * 1e6);
    printf("ratio push-and-pop / lock floor: %.1f\n", pushPop / floor);
    return 0;
}
