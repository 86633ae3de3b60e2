// zrkdoctor [CLIENT_FOLDER] [--config PATH] [--client PATH] [--wait-ms MS] [--json]: tells
// a client team, before the player sees it, what the plug-in's start-up will make of a
// game folder.
#include "tools/DoctorChecks.h"
#include "tools/IsolatedCheck.h"

#include "app/ModuleDirectory.h"
#include "config/DeviceConfig.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Options {
    std::string clientFolder;
    std::string configPath;
    std::string clientPath;
    int folderArgument = 0;  // its index among the arguments; 0: none given
    unsigned long boundMs = 10000;  // for each library's check
    bool json = false;
};

const char kUsage[] = "usage: zrkdoctor [CLIENT_FOLDER] [--config PATH] [--client PATH] [--wait-ms MS] [--json]\n";

// A whole positive number of milliseconds, at most a day.
bool ParseMilliseconds(const char* text, unsigned long* ms)
{
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 10);
    if (*text < '1' || *text > '9' || *end || value > 86400000UL)
        return false;
    *ms = value;
    return true;
}

bool ParseArguments(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0)
            options->json = true;
        else if (std::strcmp(argv[i], "--config") == 0 && i + 1 < argc)
            options->configPath = argv[++i];
        else if (std::strcmp(argv[i], "--client") == 0 && i + 1 < argc)
            options->clientPath = argv[++i];
        else if (std::strcmp(argv[i], "--wait-ms") == 0 && i + 1 < argc) {
            if (!ParseMilliseconds(argv[++i], &options->boundMs))
                return false;
        } else if (argv[i][0] == '-' || !options->clientFolder.empty()) {
            return false;
        } else {
            options->clientFolder = argv[i];
            options->folderArgument = i;
        }
    }
    return true;
}

// A full path with backslashes and no trailing separator; the doctor's own folder
// when none is given.
std::string ClientFolder(const std::string& given)
{
    std::string folder = given.empty() ? std::string(ComputeModuleDirectory(nullptr).GetString()) : given;
    ForwardToBackSlash(&folder[0]);
    std::vector<char> full(32768);
    DWORD length = GetFullPathNameA(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length > 0 && length < full.size())
        folder.assign(full.data(), length);
    // By character: the trail byte of a name like 錦 is 0x5C too.
    while (folder.size() > 3) {
        const char* end = folder.c_str() + folder.size();
        if (*CharPrevA(folder.c_str(), end) != '\\')
            break;
        folder.pop_back();
    }
    return folder;
}

// The client folder as the system names it, before the arguments were narrowed to the
// code page: the given argument, else the doctor's own folder.
std::wstring WideClientFolder(const Options& options)
{
    std::wstring folder;
    int count = 0;
    LPWSTR* arguments = options.folderArgument ? CommandLineToArgvW(GetCommandLineW(), &count) : nullptr;
    if (arguments && options.folderArgument < count)
        folder = arguments[options.folderArgument];
    if (arguments)
        LocalFree(arguments);
    if (!options.folderArgument) {
        std::vector<wchar_t> self(32768);
        DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        folder.assign(self.data(), length);
        folder.erase(folder.find_last_of(L"\\/") == std::wstring::npos ? 0 : folder.find_last_of(L"\\/"));
    }
    return folder;
}

// The folder's characters that code page 936 cannot hold, as U+XXXX: the plug-in's
// narrow paths turn them into '?', and no component is found there.
bool CheckCodePage(const Options& options, DoctorReport& report)
{
    std::string outside;
    for (wchar_t c : WideClientFolder(options)) {
        BOOL lost = FALSE;
        char narrow[8];
        if (!WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &c, 1, narrow, sizeof narrow, nullptr, &lost) || lost)
            outside += Printf("%sU+%04X", outside.empty() ? "" : " ", static_cast<unsigned>(c));
    }
    if (outside.empty())
        return true;
    report.Add(Verdict::Fail, "path",
               Printf("the client folder's path holds characters outside code page 936 (%s): the plug-in's paths cannot "
                      "hold them, finds no component there, and start-up shows \"Load Core Error!\" and fails; "
                      "install the game under a path of Chinese or ASCII names", outside.c_str()));
    return false;
}

std::string ToUtf8(const std::string& narrow)
{
    int wideLength = MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(wideLength) + 1);
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), wide.data(), wideLength);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

// devconfig.txt as start-up finds it, unless the caller names one.
std::string ConfigPath(const Options& options, DoctorReport& report)
{
    if (!options.configPath.empty())
        return options.configPath;
    std::string path = DeviceConfigPath().GetString();
    if (path[0] == '/')
        report.Add(Verdict::Warn, "path", Printf("the current directory is beyond %d characters: the plug-in reads "
                                                 "/devconfig.txt at the drive's root instead", MAX_PATH - 1));
    return path;
}

// Each finding is written and flushed as it is made: a report is never lost. The JSON
// object is opened before the first and closed after the last.
void StreamTo(DoctorReport& report, bool json)
{
    std::string head = DoctorReport::Head(json);
    std::fwrite(head.data(), 1, head.size(), stdout);
    std::fflush(stdout);
    report.SetListener([json](const DoctorReport& r, size_t index) {
        std::string entry = r.Entry(index, json, ToUtf8);
        std::fwrite(entry.data(), 1, entry.size(), stdout);
        std::fflush(stdout);
    });
}

}  // namespace

int main(int argc, char** argv)
{
    if (IsCheckChild(argc, argv))
        return RunAsCheckChild();
    Options options;
    if (!ParseArguments(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    DoctorReport report;
    StreamTo(report, options.json);
    std::string clientFolder = ClientFolder(options.clientFolder);
    const std::string client = ChooseClientExecutable(options.clientPath, clientFolder, report);
    std::string directory = CheckCodePage(options, report) ? CheckPaths(clientFolder, client, report) : std::string();
    if (!directory.empty()) {
        CheckPluginFile(directory, report);
        CheckComponents(directory, options.boundMs, report);
        CheckMenuModules(directory, options.boundMs, report);
    }
    bool windowShows = CheckConfig(ConfigPath(options, report), report);
    if (!directory.empty() || !options.clientPath.empty())
        CheckClientBitmaps(client, windowShows, report);
    CheckQueue(report);
    std::string tail = report.Tail(options.json);
    std::fwrite(tail.data(), 1, tail.size(), stdout);
    return report.ExitCode();
}
