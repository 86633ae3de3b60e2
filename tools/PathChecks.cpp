#include "tools/DoctorChecks.h"

#include "app/ModuleDirectory.h"

#include <windows.h>

#include <cstdarg>
#include <cstring>

std::string Printf(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    char buffer[1024];
    vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    return buffer;
}

namespace {

// The longest executable name in the folder that is not the doctor's own.
std::string ClientExecutableName(const std::string& clientFolder)
{
    std::string name = "client.exe";
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((clientFolder + "\\*.exe").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return name;
    size_t longest = 0;
    do {
        if (lstrcmpiA(found.cFileName, "zrkdoctor.exe") != 0 && strlen(found.cFileName) > longest) {
            name = found.cFileName;
            longest = name.size();
        }
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return name;
}

void CheckBuiltPath(const std::string& directory, const char* name, const char* whenLost,
                    DoctorReport& report)
{
    char path[MAX_PATH];
    if (!FormatModulePath(path, directory.c_str(), name))
        report.Add(Verdict::Fail, "path",
                   Printf("%s%s does not fit in %d characters: %s", directory.c_str(), name, MAX_PATH - 1, whenLost));
}

// Why the plug-in refuses the executable's path, for a report line.
const char* RefusalReason(ModuleDirectoryStatus status)
{
    switch (status) {
    case ModuleDirectoryStatus::TooLong:
        return "beyond the 259 characters the plug-in takes";
    case ModuleDirectoryStatus::NotAbsolute:
        return "not a full path from a drive root or a network share";
    default:
        return "empty";
    }
}

}  // namespace

std::string ClientExecutable(const std::string& clientFolder)
{
    return clientFolder + "\\" + ClientExecutableName(clientFolder);
}

std::string CheckPaths(const std::string& clientFolder, DoctorReport& report)
{
    std::string executable = ClientExecutable(clientFolder);
    ModuleDirectoryAnswer answer = ModuleDirectoryOfPath(executable.c_str());
    if (answer.status != ModuleDirectoryStatus::Found) {
        report.Add(Verdict::Fail, "path",
                   Printf("%s: %u characters, %s: the plug-in treats every component as missing "
                          "(start-up shows \"Load Core Error!\" and fails)",
                          executable.c_str(), static_cast<unsigned>(executable.size()), RefusalReason(answer.status)));
        return std::string();
    }
    const std::string& directory = answer.directory;
    report.Add(Verdict::Ok, "path",
               Printf("%s: %u of %d characters, directory %s", executable.c_str(),
                      static_cast<unsigned>(executable.size()), MAX_PATH - 1, directory.c_str()));
    CheckBuiltPath(directory, "Vantri.dll", "start-up shows \"Load Core Error!\" and fails", report);
    CheckBuiltPath(directory, "ZRKModules.dll", "the modules object is left out", report);
    CheckBuiltPath(directory, "ZRKEncoder.dll", "the encoder is left out", report);
    CheckBuiltPath(directory, "ZRKMsgData.bin", "no message data is loaded", report);
    CheckBuiltPath(directory, "..\\Tessaru.dll", "no right-click menu", report);
    CheckBuiltPath(directory, "..\\Orvalt.dll", "no game archive", report);
    return directory;
}
