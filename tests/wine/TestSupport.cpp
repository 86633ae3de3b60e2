#include "tests/wine/TestSupport.h"

#include "client/GameFileList.h"
#include "client/WinThread.h"
#include "util/ProcessStart.h"

#include <gtest/gtest.h>

namespace {

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace

TempDir::TempDir()
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static LONG counter = 0;
    for (;;) {
        char name[MAX_PATH];
        snprintf(name, sizeof name, "%szrk%lu_%ld_%lu", base, GetCurrentProcessId(),
                 InterlockedIncrement(&counter), GetTickCount());
        if (CreateDirectoryA(name, nullptr)) {
            m_path = name;
            return;
        }
    }
}

TempDir::~TempDir() { RemoveTree(m_path); }

std::string TempDir::operator/(const std::string& relative) const { return m_path + "\\" + relative; }

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& directory)
{
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    EXPECT_TRUE(SetCurrentDirectoryA(directory.c_str())) << directory;
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() { SetCurrentDirectoryA(m_previous.c_str()); }

std::string BinDir()
{
    const std::string folder = OwnFolder();
    return folder.substr(0, folder.size() - 1);
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    DWORD written = 0;
    {
        CKernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file) << path;
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    ASSERT_EQ(bytes.size(), written) << path;
}

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    CKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    char chunk[4096];
    DWORD got = 0;
    while (file && ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return bytes;
}

void CopyBinary(const std::string& name, const std::string& toFolder)
{
    std::string from = BinDir() + "\\" + name;
    std::string to = toFolder + "\\" + name;
    EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << " -> " << to;
}

void MakeDirs(const std::string& path)
{
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

void LayOutGameFiles(const std::string& binFolder)
{
    const std::string list = ReadFileBytes(BinDir() + "\\" + kGameFileListName);
    EXPECT_FALSE(list.empty()) << "no " << kGameFileListName << " in " << BinDir();
    for (const std::string& path : GameFilePaths(list))
        EXPECT_TRUE(CopyFileA((BinDir() + "\\" + GameFileName(path)).c_str(), (binFolder + "\\" + path).c_str(), FALSE))
            << path;
}

ProcessResult RunProcess(const std::string& commandLine, const std::string& workingDirectory,
                         DWORD timeoutMs)
{
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return result;
    CKernelHandle reading(readEnd), writing(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    ProcessStart start;
    start.commandLine = WideFromAnsi(commandLine);
    start.workingDirectory = WideFromAnsi(workingDirectory);
    start.hStdOutput = start.hStdError = writeEnd;
    start.inheritHandles = true;
    StartedProcess process = StartProcess(start);
    writing.Close();  // the child's copy stays: the reader sees the end when the child ends
    if (!process) {
        result.output = "CreateProcess failed: " + std::to_string(GetLastError());
        return result;
    }
    WinThread reader([&] {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0)
            result.output.append(chunk, got);
    });
    if (WaitForSingleObject(process.process.Get(), timeoutMs) == WAIT_TIMEOUT) {
        result.timedOut = true;
        TerminateProcess(process.process.Get(), 0xDEAD);
        WaitForSingleObject(process.process.Get(), INFINITE);
    }
    GetExitCodeProcess(process.process.Get(), &result.exitCode);
    reader.Join();
    return result;
}

ChildProcess::ChildProcess(const std::string& commandLine, bool discardOutput)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    CKernelHandle nul(discardOutput ? CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr)
                                    : nullptr);
    ProcessStart start;
    start.commandLine = WideFromAnsi(commandLine);
    start.hStdOutput = start.hStdError = nul.Get();
    start.inheritHandles = static_cast<bool>(nul);
    StartedProcess started = StartProcess(start);
    m_bStarted = static_cast<bool>(started);
    m_process = std::move(started.process);  // the thread's handle closes here: only the process is waited on
}

ChildProcess::~ChildProcess()
{
    if (!m_bStarted)
        return;
    TerminateProcess(m_process.Get(), 99);
    WaitForSingleObject(m_process.Get(), INFINITE);
}

DWORD ChildProcess::ExitCode() const
{
    DWORD code = 0;
    GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

std::string QueuePeerCommand(const std::string& arguments)
{
    return "\"" + BinDir() + "\\queue_peer.exe\" " + arguments;
}

namespace {

// A manual-reset event by name, unsignalled even if it existed already.
HANDLE UnsignalledEvent(const std::string& name)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    if (event)
        ResetEvent(event);
    return event;
}

}  // namespace

ReadyPeer::ReadyPeer(const std::string& prefix, const std::string& arguments)
    : m_ready(UnsignalledEvent(prefix + "Ready")),
      m_process(QueuePeerCommand(arguments)),
      m_bReady(m_process.Started() && WaitForSingleObject(m_ready.Get(), 30000) == WAIT_OBJECT_0)
{
}
