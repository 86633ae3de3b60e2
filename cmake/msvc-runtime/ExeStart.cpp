// The entry point of an MSVC-ABI program: main(argc, argv) with the arguments msvcrt.dll
// parses, static constructors before it, static destructors after, then msvcrt's exit.
#include "Runtime.h"

extern "C" int main(int argc, char** argv);

namespace {
struct StartupInfo {
    int newMode;
};
}

extern "C" int __cdecl __getmainargs(int* argc, char*** argv, char*** env, int expandWildcards,
                                     StartupInfo* info);
extern "C" void __cdecl exit(int status);

extern "C" void mainCRTStartup()
{
    int argc = 0;
    char** argv = nullptr;
    char** env = nullptr;
    StartupInfo info = {0};
    __getmainargs(&argc, &argv, &env, 0, &info);
    RunStaticConstructors();
    int status = main(argc, argv);
    RunExitFunctions();
    exit(status);
}
