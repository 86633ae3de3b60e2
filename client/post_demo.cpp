// Posts three sample messages through a GameSite, the way the menu module does through
// the plug-in's site, so the queue reader has something to show.
//
//   post_demo.exe [--prefix NAME]
#include "messaging/GameSite.h"
#include "messaging/SharedMemoryChannel.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    std::string prefix = argc == 3 && std::strcmp(argv[1], "--prefix") == 0 ? argv[2] : "Client";
    // Kept to the end of the process, as the plug-in keeps its site: destroying it would
    // clear the queue before the reader has it.
    auto* site = new GameSite(prefix);
    const char text[] = "喇叭: 你好";
    const unsigned char bytes[] = {1, 2, 3, 4, 5};
    site->PostType6(static_cast<int32_t>(sizeof bytes), bytes);
    site->PostType7(static_cast<int32_t>(std::strlen(text)), text);
    site->PostType8(42, 0, nullptr);
    printf("posted 3 messages to %s\n", SharedMemoryChannel::SectionName(prefix).c_str());
    return 0;
}
