// Start-up time of the plug-in in the stand-in world against the floor of loading the
// same component libraries with plain LoadLibrary. Each measurement is a fresh
// process in a sample game folder that reports its time in microseconds as its exit
// code; the rounds alternate, and the medians give the ratio. The plug-in's own DLL is
// not loaded on the floor side, so the ratio includes loading it.
//   startup_bench.exe [rounds]
#include "bench/Stopwatch.h"
#include "client/GameFileList.h"
#include "util/ProcessStart.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kPlugIn[] = "ZRKTempDll.dll";
const DWORD kFailed = 0xFFFFFFFF;

// The game folder's files as paths from its Bin folder, from the list beside this program.
std::vector<std::string> GameFiles()
{
    std::ifstream list(OwnFolder() + kGameFileListName, std::ios::binary);
    return GameFilePaths(std::string(std::istreambuf_iterator<char>(list), std::istreambuf_iterator<char>()));
}

bool IsComponentLibrary(const std::string& path)
{
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".dll") == 0 && GameFileName(path) != kPlugIn;
}

// The system libraries both sides import, loaded and started before the clock runs,
// so that their one-time cost counts on neither side.
void PreloadSystemLibraries()
{
    for (const char* name : {"user32.dll", "gdi32.dll", "ole32.dll", "oleaut32.dll", "ws2_32.dll",
                             "version.dll", "advapi32.dll"})
        LoadLibraryA(name);
    GetDesktopWindow();
}

DWORD MeasurePlugIn()
{
    PreloadSystemLibraries();
    Stopwatch watch;
    HMODULE hPlugIn = LoadLibraryA(kPlugIn);
    DWORD elapsed = watch.Microseconds();
    return hPlugIn ? elapsed : kFailed;
}

DWORD MeasureFloor()
{
    PreloadSystemLibraries();
    std::string folder = OwnFolder();
    std::vector<std::string> components;
    for (const std::string& path : GameFiles())
        if (IsComponentLibrary(path))
            components.push_back(folder + path);
    Stopwatch watch;
    for (const std::string& path : components)
        if (!LoadLibraryA(path.c_str()))
            return kFailed;
    return watch.Microseconds();
}

// The bench itself and its list go into Bin beside the listed files.
std::vector<std::string> GameFolderFiles()
{
    std::vector<std::string> files = GameFiles();
    files.push_back("startup_bench.exe");
    files.push_back(kGameFileListName);
    return files;
}

std::string MakeGameFolder()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string root = std::string(temp) + "zrkbench" + std::to_string(GetCurrentProcessId());
    for (const char* sub : {"", "\\Bin", "\\work"})
        CreateDirectoryA((root + sub).c_str(), nullptr);
    std::string from = OwnFolder();
    for (const std::string& path : GameFolderFiles())
        CopyFileA((from + GameFileName(path)).c_str(), (root + "\\Bin\\" + path).c_str(), FALSE);
    return root;
}

void RemoveGameFolder(const std::string& root)
{
    for (const std::string& path : GameFolderFiles())
        DeleteFileA((root + "\\Bin\\" + path).c_str());
    for (const char* sub : {"\\Bin", "\\work", ""})
        RemoveDirectoryA((root + sub).c_str());
}

DWORD RunChild(const std::string& root, const char* mode)
{
    std::string line = "\"" + root + "\\Bin\\startup_bench.exe\" " + mode;
    ProcessStart start;
    start.commandLine = WideFromAnsi(line);
    start.workingDirectory = WideFromAnsi(root + "\\work");
    StartedProcess child = StartProcess(start);
    if (!child)
        return kFailed;
    DWORD code = kFailed;
    if (WaitForSingleObject(child.process.Get(), 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(child.process.Get(), &code);
    return code;
}

double Median(std::vector<DWORD> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

int RunRounds(int rounds)
{
    std::string root = MakeGameFolder();
    std::vector<DWORD> plugIn, floor;
    RunChild(root, "--plugin");  // warm the file cache once
    for (int i = 0; i < rounds; ++i) {
        floor.push_back(RunChild(root, "--floor"));
        plugIn.push_back(RunChild(root, "--plugin"));
    }
    RemoveGameFolder(root);
    if (std::count(plugIn.begin(), plugIn.end(), kFailed) || std::count(floor.begin(), floor.end(), kFailed)) {
        printf("startup_bench: a measurement failed\n");
        return 1;
    }
    double plugInMedian = Median(plugIn), floorMedian = Median(floor);
    printf("startup_bench: %d rounds, one fresh process each\n", rounds);
    printf("  plug-in start-up (LoadLibrary of ZRKTempDll.dll): median %.0f us\n", plugInMedian);
    printf("  floor (plain LoadLibrary of the five components): median %.0f us\n", floorMedian);
    printf("  ratio start-up / floor: %.2f\n", floorMedian > 0 ? plugInMedian / floorMedian : 0.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && !strcmp(argv[1], "--plugin"))
        return static_cast<int>(MeasurePlugIn());
    if (argc > 1 && !strcmp(argv[1], "--floor"))
        return static_cast<int>(MeasureFloor());
    int rounds = argc > 1 ? atoi(argv[1]) : 15;
    return RunRounds(rounds > 0 ? rounds : 15);
}
