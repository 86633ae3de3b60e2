// Helpers shared by the tests under Wine: temporary folders, files, child processes.
#pragma once

#include "framework/KernelHandle.h"

#include <windows.h>

#include <string>

// A fresh folder under %TEMP%, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // Path() + "\\" + relative
    std::string operator/(const std::string& relative) const;

private:
    std::string m_path;
};

// Enters a directory for the lifetime of the object.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& directory);
    ~ScopedCurrentDirectory();
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::string m_previous;
};

// The folder of the test executable, where the build puts every binary.
std::string BinDir();

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
void CopyBinary(const std::string& name, const std::string& toFolder);
void MakeDirs(const std::string& path);
// Copies the game folder's files listed in game_files.txt from BinDir() into binFolder
// and its parent.
void LayOutGameFiles(const std::string& binFolder);

struct ProcessResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;  // stdout and stderr together
    bool timedOut = false;
};

// Runs a command line in a working directory and collects its output.
ProcessResult RunProcess(const std::string& commandLine, const std::string& workingDirectory,
                         DWORD timeoutMs = 60000);

// A child process started without waiting; terminated and closed on destruction.
class ChildProcess {
public:
    // With discardOutput, what it prints goes to NUL instead of the test's output.
    explicit ChildProcess(const std::string& commandLine, bool discardOutput = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_bStarted; }
    HANDLE Process() const { return m_process.Get(); }
    // The exit code, or STILL_ACTIVE while it runs.
    DWORD ExitCode() const;

private:
    CKernelHandle m_process;
    BOOL m_bStarted = FALSE;
};

// The command line of the queue tests' second process with the given arguments.
std::string QueuePeerCommand(const std::string& arguments);

// queue_peer in a mode that signals prefix + "Ready" once in place (holding the mutex,
// squatting the section, rewriting it); the constructor waits up to 30 s for that.
class ReadyPeer {
public:
    ReadyPeer(const std::string& prefix, const std::string& arguments);
    ReadyPeer(const ReadyPeer&) = delete;
    ReadyPeer& operator=(const ReadyPeer&) = delete;

    bool Ready() const { return m_bReady; }
    const ChildProcess& Process() const { return m_process; }

private:
    CKernelHandle m_ready;
    ChildProcess m_process;
    bool m_bReady;
};
