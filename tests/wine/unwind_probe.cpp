// Throws through frames of its own and catches, as the plug-in's firewalls do: a DLL
// whose unwind tables were not registered ends the process instead.
#include <windows.h>

#include <stdexcept>
#include <string>

namespace {

__attribute__((noinline)) void ThrowAtDepth(int depth, const std::string& what)
{
    if (depth <= 0)
        throw std::runtime_error(what);
    ThrowAtDepth(depth - 1, what);
}

}  // namespace

// The length of the message caught after `depth` frames.
extern "C" __declspec(dllexport) int __cdecl CatchOwnThrow(int depth, const char* what)
{
    try {
        ThrowAtDepth(depth, what);
    } catch (const std::exception& e) {
        return static_cast<int>(std::string(e.what()).size());
    }
    return -1;
}
