// Starting another program, for the tests, the benchmarks and the doctor, and the
// running program's own folder. Not part of the plug-in.
#pragma once

#include "framework/KernelHandle.h"

#include <windows.h>

#include <string>

struct ProcessStart {
    std::wstring commandLine;
    std::wstring workingDirectory;  // empty: the caller's
    // Null: the child gets the caller's own standard handles, none inherited.
    HANDLE hStdInput = nullptr;
    HANDLE hStdOutput = nullptr;
    HANDLE hStdError = nullptr;
    bool inheritHandles = false;
    DWORD creationFlags = 0;
};

struct StartedProcess {
    CKernelHandle process;
    CKernelHandle thread;

    explicit operator bool() const { return static_cast<bool>(process); }
};

// Wine now and then fails a start with ERROR_INTERNAL_ERROR before the child runs any of
// its code: such a start is made again, up to three times in all. Empty when it did not
// start, GetLastError then telling why.
StartedProcess StartProcess(const ProcessStart& start);

// ANSI text (the system code page) as UTF-16, the way the ANSI functions convert it.
std::wstring WideFromAnsi(const std::string& text);

// The running program's folder with its trailing backslash.
std::string OwnFolder();
