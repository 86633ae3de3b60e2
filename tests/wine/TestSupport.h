// Helpers shared by the tests under Wine: temporary folders, files, child processes.
#pragma once

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

struct ProcessResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;  // stdout and stderr together
    bool timedOut = false;
};

// Runs a command line in a working directory and collects its output.
ProcessResult RunProcess(const std::string& commandLine, const std::string& workingDirectory,
                         DWORD timeoutMs = 60000);
