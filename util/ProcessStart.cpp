#include "util/ProcessStart.h"

#include <vector>

namespace {

constexpr int kStartAttempts = 3;

}  // namespace

StartedProcess StartProcess(const ProcessStart& start)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (start.hStdInput || start.hStdOutput || start.hStdError) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = start.hStdInput ? start.hStdInput : GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = start.hStdOutput ? start.hStdOutput : GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = start.hStdError ? start.hStdError : GetStdHandle(STD_ERROR_HANDLE);
    }
    const wchar_t* workingDirectory = start.workingDirectory.empty() ? nullptr : start.workingDirectory.c_str();
    StartedProcess started;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        std::wstring commandLine = start.commandLine;  // CreateProcessW may write into it
        PROCESS_INFORMATION info = {};
        if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, start.inheritHandles, start.creationFlags,
                           nullptr, workingDirectory, &startup, &info)) {
            started.process.Attach(info.hProcess);
            started.thread.Attach(info.hThread);
            return started;
        }
        if (GetLastError() != ERROR_INTERNAL_ERROR)
            break;
    }
    return started;
}

std::wstring WideFromAnsi(const std::string& text)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(length > 0 ? length : 1));
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    return wide.data();
}

std::string OwnFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}
