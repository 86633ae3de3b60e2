// The queue's reading process: opens the shared-memory queue (prefix "Client" unless
// told otherwise), takes records out, or only looks at them, and prints each decoded.
//
//   queue_reader.exe [--peek] [--prefix NAME] [--follow COUNT] [--seconds N]
//
// --follow keeps taking records until COUNT have come or N seconds (default 30) passed.
#include "messaging/ChannelMessage.h"
#include "messaging/QueueSection.h"
#include "messaging/SharedMemoryChannel.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    bool peek = false;
    std::string prefix = "Client";
    int follow = 0;
    DWORD seconds = 30;
};

bool ParseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--peek")
            options->peek = true;
        else if (arg == "--prefix" && hasValue)
            options->prefix = argv[++i];
        else if (arg == "--follow" && hasValue)
            options->follow = atoi(argv[++i]);
        else if (arg == "--seconds" && hasValue)
            options->seconds = static_cast<DWORD>(atoi(argv[++i]));
        else
            return false;
    }
    return true;
}

std::string Hex(const uint8_t* bytes, int32_t length)
{
    std::string text;
    char byte[4];
    for (int32_t i = 0; i < length; ++i) {
        snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
        text += byte;
    }
    return text;
}

// GBK to UTF-8 for the console; control characters show as '.'.
std::string TextFromGbk(const uint8_t* bytes, int32_t length)
{
    if (length <= 0)
        return std::string();
    const char* narrow = reinterpret_cast<const char*>(bytes);
    int wideLength = MultiByteToWideChar(936, 0, narrow, length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(936, 0, narrow, length, &wide[0], wideLength);
    for (wchar_t& c : wide)
        if (c < 0x20 || c == 0x7F)
            c = L'.';
    int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], utf8Length, nullptr, nullptr);
    return utf8;
}

void PrintRecord(int index, const uint8_t* record, int32_t length)
{
    ChannelMessage message;
    if (!DecodeChannelMessage(record, length, &message)) {
        int32_t shown = length < QueueSection::kMaxRecordLength ? length : QueueSection::kMaxRecordLength;
        printf("#%d record of %d bytes, not a message: %s\n", index, length, Hex(record, shown).c_str());
        return;
    }
    printf("#%d type=%u value=%d length=%d\n", index, message.type, message.value, message.length);
    printf("   hex:  %s\n", Hex(message.payload, message.length).c_str());
    printf("   text: %s\n", TextFromGbk(message.payload, message.length).c_str());
}

int Peek(SharedMemoryChannel& channel)
{
    std::vector<uint8_t> section;
    if (!channel.Snapshot(&section))
        return 1;
    int index = 0;
    QueueSection::ForEachRecord(section.data(), section.size(), [&](const uint8_t* record, int32_t length) {
        PrintRecord(++index, record, length);
    });
    printf("%d record(s) waiting\n", index);
    return 0;
}

int Take(SharedMemoryChannel& channel, const Options& options)
{
    std::vector<uint8_t> buffer(QueueSection::kMaxRecordLength);
    DWORD deadline = GetTickCount() + options.seconds * 1000;
    int taken = 0;
    // Tells a script that started us that the queue is held from here on.
    printf("following the queue %s\n", SharedMemoryChannel::SectionName(options.prefix).c_str());
    fflush(stdout);
    for (;;) {
        int32_t length = 0;
        if (channel.Pop(buffer.data(), &length, static_cast<int32_t>(buffer.size()))) {
            PrintRecord(++taken, buffer.data(), length);
            fflush(stdout);
            continue;
        }
        if (taken >= options.follow || static_cast<LONG>(GetTickCount() - deadline) >= 0)
            break;
        Sleep(10);
    }
    printf("%d record(s) taken\n", taken);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        fprintf(stderr, "usage: queue_reader [--peek] [--prefix NAME] [--follow COUNT] [--seconds N]\n");
        return 2;
    }
    // Never destroyed: destroying a channel clears the section, and records that a
    // writer appends after our last look must stay for the next reader.
    auto* channel = new SharedMemoryChannel;
    if (!channel->Open(options.prefix)) {
        fprintf(stderr, "cannot open the queue %s\n", SharedMemoryChannel::SectionName(options.prefix).c_str());
        return 1;
    }
    return options.peek ? Peek(*channel) : Take(*channel, options);
}
