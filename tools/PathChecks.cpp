#include "tools/DoctorChecks.h"

#include "app/ModuleDirectory.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <vector>

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

// The executables in the folder other than the doctor, by name.
std::vector<std::string> Executables(const std::string& clientFolder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((clientFolder + "\\*.exe").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (lstrcmpiA(found.cFileName, "zrkdoctor.exe") != 0 && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    return names;
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// The name part of a path.
std::string FileName(const std::string& path)
{
    const char* name = path.c_str();
    for (const char* p = name; *p; p = CharNextA(p))
        if (*p == '\\' || *p == '/')
            name = p + 1;
    return name;
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

std::string ChooseClientExecutable(const std::string& named, const std::string& clientFolder, DoctorReport& report)
{
    if (!named.empty()) {
        report.Add(Verdict::Ok, "client", Printf("checking %s, named by --client", named.c_str()));
        return named;
    }
    const std::vector<std::string> names = Executables(clientFolder);
    std::vector<std::string> skinned;
    for (const std::string& name : names)
        if (HasSkinBackground(clientFolder + "\\" + name))
            skinned.push_back(name);
    if (names.empty()) {
        report.Add(Verdict::Ok, "client", Printf("%s holds no executable: checking client.exe", clientFolder.c_str()));
        return clientFolder + "\\client.exe";
    }
    if (names.size() == 1 || skinned.size() == 1) {
        const std::string& name = names.size() == 1 ? names[0] : skinned[0];
        report.Add(Verdict::Ok, "client", Printf("checking %s\\%s, %s", clientFolder.c_str(), name.c_str(),
                                                 names.size() == 1 ? "the only executable there"
                                                                   : "the only executable there with the skin bitmaps"));
        return clientFolder + "\\" + name;
    }
    const std::string& name = skinned.empty() ? names[0] : skinned[0];
    report.Add(Verdict::Warn, "client",
               Printf("%s holds %u executables (%s), %u with the skin bitmaps: checking %s; name the client with "
                      "--client", clientFolder.c_str(), static_cast<unsigned>(names.size()), Joined(names).c_str(),
                      static_cast<unsigned>(skinned.size()), name.c_str()));
    return clientFolder + "\\" + name;
}

std::string CheckPaths(const std::string& clientFolder, const std::string& client, DoctorReport& report)
{
    const std::string executable = clientFolder + "\\" + FileName(client);
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
    CheckComponentPaths(directory, report);
    return directory;
}
