// Measures, side by side in one run, start-up's one-pass read of a devconfig.txt that is
// one huge line without a newline, against plainly reading the same file, and prints the
// ratio and the process's peak memory.
//
//   config_bench.exe [MEGABYTES]        (default 300)
#include "config/ConfigScanner.h"
#include "config/DeviceConfig.h"

#include "bench/Stopwatch.h"
#include "framework/KernelHandle.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Letters of every kind, so the matcher sees key letters all the time, and no newline.
bool WriteOneLine(const std::string& path, int megabytes)
{
    CKernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    std::string block;
    while (block.size() < 1024 * 1024)
        block += "the quick brown fox jumps over the lazy dog; Shown Nexts, Rendering, Frames ";
    block.resize(1024 * 1024);
    DWORD written = 0;
    bool ok = true;
    for (int i = 0; i < megabytes && ok; ++i)
        ok = WriteFile(file.Get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written == block.size();
    return ok;
}

double PlainRead(const std::string& path)
{
    Stopwatch watch;
    unsigned long long sum = 0;
    {
        CKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        std::vector<char> buffer(64 * 1024);
        DWORD read = 0;
        while (ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0)
            sum += static_cast<unsigned char>(buffer[read - 1]);
    }
    const double seconds = watch.Seconds();
    return sum == 1 ? 0 : seconds;  // the sum keeps the reads
}

double Scan(const std::string& path, DeviceConfig* config)
{
    Stopwatch watch;
    ConfigScanner scanner;
    ScanConfigFile(path.c_str(), scanner);
    *config = DeviceConfigFrom(scanner);
    return watch.Seconds();
}

}  // namespace

int main(int argc, char** argv)
{
    int megabytes = argc > 1 ? std::atoi(argv[1]) : 300;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + "config_bench_devconfig.txt";
    if (megabytes <= 0 || !WriteOneLine(path, megabytes)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    double read = 1e9, scan = 1e9;
    DeviceConfig config{};
    PlainRead(path);  // into the cache first
    for (int round = 0; round < 3; ++round) {
        double r = PlainRead(path), s = Scan(path, &config);
        read = r < read ? r : read;
        scan = s < scan ? s : scan;
    }
    DeleteFileA(path.c_str());
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("devconfig.txt of %d MB on one line: one-pass read %.0f ms against plain read %.0f ms, ratio %.2f "
                "(best of 3); width %ld as its default; peak pagefile use %.1f MB\n",
                megabytes, scan * 1000, read * 1000, scan / read, static_cast<long>(config.width),
                memory.PeakPagefileUsage / 1048576.0);
    return 0;
}
