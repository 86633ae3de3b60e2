#include "tools/IsolatedCheck.h"

#include "framework/KernelHandle.h"
#include "tools/ChildChannel.h"
#include "tools/DoctorChecks.h"
#include "util/ProcessStart.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

const char kCheckArgument[] = "--check-library";
constexpr DWORD kPipeBytes = 64 * 1024;
constexpr DWORD kPollMs = 10;

// The channel's write end in the child, made uninheritable before any checked code runs.
HANDLE g_hChannel = nullptr;

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

void WriteToChannel(const std::string& text)
{
    DWORD written = 0;
    WriteFile(g_hChannel, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void ReportFinding(const DoctorReport& report, size_t index) { WriteToChannel(ChannelLine(report.Findings()[index])); }

// Reads what the pipe holds now, without waiting for more; take gets each piece.
template <typename Take>
void DrainAvailable(HANDLE pipe, Take take)
{
    char chunk[4096];
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        DWORD got = 0;
        if (!ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) || got == 0)
            return;
        take(chunk, got);
    }
}

// A pipe whose write end the child inherits and whose read end stays with the doctor.
bool CreateChildPipe(CKernelHandle& readEnd, CKernelHandle& writeEnd)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    if (!CreatePipe(&hRead, &hWrite, &inherit, kPipeBytes))
        return false;
    readEnd.Attach(hRead);
    writeEnd.Attach(hWrite);
    return SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0) != FALSE;
}

// A job that ends every process in it when the doctor lets go of it; null where the
// system has none to give.
HANDLE CreateKillingJob()
{
    HANDLE hJob = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (hJob && !SetInformationJobObject(hJob, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(hJob);
        return nullptr;
    }
    return hJob;
}

// The doctor's own standard handles stay out of the child's reach: a helper the checked
// code starts must not hold the doctor's output open.
void KeepStandardHandlesToItself()
{
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE})
        SetHandleInformation(GetStdHandle(which), HANDLE_FLAG_INHERIT, 0);
}

// Reads the channel, and empties the pipe of the checked code's own output, until the
// child ends or the bound passes. True when it ended in time.
bool FollowChild(HANDLE process, HANDLE channel, HANDLE output, unsigned long boundMs, ChannelReader& reader)
{
    auto feed = [&reader](const char* bytes, DWORD size) { reader.Feed(bytes, size); };
    auto discard = [](const char*, DWORD) {};
    const DWORD start = GetTickCount();
    for (;;) {
        DrainAvailable(channel, feed);
        DrainAvailable(output, discard);
        if (WaitForSingleObject(process, kPollMs) == WAIT_OBJECT_0) {
            DrainAvailable(channel, feed);
            return true;
        }
        if (GetTickCount() - start >= boundMs)
            return false;
    }
}

// A fault in the library's code ends the child at once with the exception's code:
// no debugger, no crash dialog.
LONG WINAPI EndOnFault(EXCEPTION_POINTERS* pException)
{
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
    // The channel, and the checked code's standard output and error, which the doctor
    // empties and drops.
    CKernelHandle reader, writer, output, outputWriter;
    if (selfLength == 0 || selfLength >= MAX_PATH || !CreateChildPipe(reader, writer) ||
        !CreateChildPipe(output, outputWriter)) {
        outcome.code = GetLastError();
        return outcome;
    }
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    CKernelHandle nowhere(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                      OPEN_EXISTING, 0, nullptr));
    KeepStandardHandlesToItself();
    std::wstring commandLine = Quoted(self) + L" " + WideFromAnsi(kCheckArgument) + L" " +
                               std::to_wstring(reinterpret_cast<uintptr_t>(writer.Get())) + L" " +
                               Quoted(WideFromAnsi(library)) + L" " + Quoted(WideFromAnsi(directory));
    ProcessStart start;
    start.commandLine = commandLine;
    start.hStdInput = nowhere.Get();
    start.hStdOutput = start.hStdError = outputWriter.Get();
    start.inheritHandles = true;
    start.creationFlags = CREATE_SUSPENDED;
    StartedProcess started = StartProcess(start);
    if (!started) {
        outcome.code = GetLastError();
        return outcome;
    }
    const CKernelHandle& process = started.process;
    const CKernelHandle& thread = started.thread;
    CKernelHandle job(CreateKillingJob());
    if (job)
        AssignProcessToJobObject(job.Get(), process.Get());
    ResumeThread(thread.Get());
    writer.Close();
    outputWriter.Close();
    ChannelReader channel(report);
    const bool ended = FollowChild(process.Get(), reader.Get(), output.Get(), boundMs, channel);
    // Whatever the child left running goes with it; without a job, the child alone.
    if (!job || !TerminateJobObject(job.Get(), ERROR_TIMEOUT))
        TerminateProcess(process.Get(), ERROR_TIMEOUT);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    outcome.code = exitCode;
    outcome.kind = !ended                     ? ChildOutcome::Kind::TimedOut
                   : channel.Closed()         ? ChildOutcome::Kind::Finished
                   : exitCode >= 0xC0000000UL ? ChildOutcome::Kind::Faulted
                                              : ChildOutcome::Kind::Ended;
    return outcome;
}

bool IsCheckChild(int argc, char** argv) { return argc == 5 && std::strcmp(argv[1], kCheckArgument) == 0; }

int RunAsCheckChild()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnFault);
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return 2;
    if (count != 5) {
        LocalFree(arguments);
        return 2;
    }
    g_hChannel = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::wcstoull(arguments[2], nullptr, 10)));
    SetHandleInformation(g_hChannel, HANDLE_FLAG_INHERIT, 0);
    std::string library = Narrow(arguments[3]);
    std::string directory = Narrow(arguments[4]);
    LocalFree(arguments);
    DoctorReport report;
    report.SetListener(ReportFinding);
    if (!RunLibraryCheck(library, directory, report))
        return 2;
    WriteToChannel(ChannelClosingLine());
    return 0;
}
