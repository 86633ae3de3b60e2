#include "tools/IsolatedCheck.h"

#include "framework/KernelHandle.h"
#include "tools/DoctorChecks.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char kCheckArgument[] = "--check-library";
const char kVerdictLetters[] = "OWF";
// Each child prints a few lines, well within the pipe's buffer: it never waits on the doctor.
constexpr DWORD kPipeBytes = 64 * 1024;

std::wstring Wide(const std::string& narrow)
{
    int length = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(length > 0 ? length : 1));
    MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, wide.data(), length);
    return wide.data();
}

std::string Narrow(const wchar_t* wide)
{
    int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> narrow(static_cast<size_t>(length > 0 ? length : 1));
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow.data(), length, nullptr, nullptr);
    return narrow.data();
}

// A quoted argument; backslashes before the closing quote are doubled so they stay.
// Passed as UTF-16, where no trail byte of a Chinese name can pose as a backslash.
std::wstring Quoted(const std::wstring& argument)
{
    std::wstring quoted = L"\"" + argument;
    for (size_t i = argument.size(); i > 0 && argument[i - 1] == L'\\'; --i)
        quoted += L'\\';
    return quoted + L"\"";
}

// One finding per line: verdict letter, area and text, separated by tabs.
void PrintFinding(const DoctorReport& report, size_t index)
{
    const Finding& finding = report.Findings()[index];
    std::string line = std::string(1, kVerdictLetters[static_cast<int>(finding.verdict)]) + "\t" + finding.area + "\t" +
                       finding.text + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

void AddPrintedFindings(const std::string& output, DoctorReport& report)
{
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        std::string line = output.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? output.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t areaEnd = line.find('\t', 2);
        const char* letter = line.size() > 2 && line[1] == '\t' ? std::strchr(kVerdictLetters, line[0]) : nullptr;
        if (letter && *letter && areaEnd != std::string::npos)
            report.Add(static_cast<Verdict>(letter - kVerdictLetters), line.substr(2, areaEnd - 2),
                       line.substr(areaEnd + 1));
    }
}

std::string ReadAll(HANDLE pipe)
{
    std::string output;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0)
        output.append(chunk, got);
    return output;
}

// A fault in the library's code ends the child at once with the exception's code:
// no debugger, no crash dialog.
LONG WINAPI EndOnFault(EXCEPTION_POINTERS* pException)
{
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), pException->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

ChildOutcome RunCheckInChild(const std::string& library, const std::string& directory, unsigned long boundMs,
                             DoctorReport& report)
{
    ChildOutcome outcome;
    wchar_t self[MAX_PATH] = {};
    DWORD selfLength = GetModuleFileNameW(nullptr, self, MAX_PATH);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (selfLength == 0 || selfLength >= MAX_PATH || !CreatePipe(&readEnd, &writeEnd, &inherit, kPipeBytes)) {
        outcome.code = GetLastError();
        return outcome;
    }
    CKernelHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring commandLine = Quoted(self) + L" " + Wide(kCheckArgument) + L" " + Quoted(Wide(library)) + L" " +
                               Quoted(Wide(directory));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
        outcome.code = GetLastError();
        return outcome;
    }
    CKernelHandle process(started.hProcess), thread(started.hThread);
    writer.Close();  // the child's copy is the last: its end is the pipe's end
    if (WaitForSingleObject(process.Get(), boundMs) == WAIT_TIMEOUT) {
        TerminateProcess(process.Get(), ERROR_TIMEOUT);
        WaitForSingleObject(process.Get(), INFINITE);
        outcome.kind = ChildOutcome::Kind::TimedOut;
    }
    AddPrintedFindings(ReadAll(reader.Get()), report);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    if (outcome.kind != ChildOutcome::Kind::TimedOut)
        outcome.kind = exitCode == 0 ? ChildOutcome::Kind::Finished : ChildOutcome::Kind::Faulted;
    outcome.code = exitCode;
    return outcome;
}

bool IsCheckChild(int argc, char** argv) { return argc == 4 && std::strcmp(argv[1], kCheckArgument) == 0; }

int RunAsCheckChild()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnFault);
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return 2;
    std::string library = count == 4 ? Narrow(arguments[2]) : std::string();
    std::string directory = count == 4 ? Narrow(arguments[3]) : std::string();
    LocalFree(arguments);
    DoctorReport report;
    report.SetListener(PrintFinding);
    return RunLibraryCheck(library, directory, report) ? 0 : 2;
}
