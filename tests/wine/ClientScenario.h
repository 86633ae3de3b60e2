// A sample game folder for one run of the stand-in client: client, plug-in and
// component host in <game>\Bin, menu and help libraries in <game>, the current
// directory <game>\work, and the stand-ins' call log in <tmp>\calls.log, where <game>
// is <tmp> or a folder in it.
#pragma once

#include "tests/wine/TestSupport.h"

#include <string>
#include <vector>

struct ScenarioLayout {
    // The built file laid out under each component's real name; empty leaves it out.
    std::string vantri = "Vantri.dll";
    std::string modules = "ZRKModules.dll";
    std::string tessaru = "Tessaru.dll";
    std::string orvalt = "Orvalt.dll";
    std::string devconfig = "opencount=0\n";
    // Folder and file names (GBK): the game folder relative to <tmp> (empty: <tmp>
    // itself), the client's folder and the current directory in it, the client's name.
    std::string gameFolder;
    std::string binFolder = "Bin";
    std::string workFolder = "work";
    std::string clientName = "client.exe";
    std::string client = "client.exe";  // the built program laid out as clientName
};

struct ScenarioRun {
    ProcessResult process;
    std::vector<std::string> calls;  // the call log, one entry per line

    bool Printed(const std::string& text) const { return process.output.find(text) != std::string::npos; }
    int CountPrinted(const std::string& text) const;
    // Index of the first call that starts with prefix, or -1.
    int FindCall(const std::string& prefix) const;
    int CountCalls(const std::string& prefix) const;
    std::string Report() const;  // output and call log, for failure messages
};

class ClientScenario {
public:
    explicit ClientScenario(const ScenarioLayout& layout = ScenarioLayout());

    // Runs Bin\client.exe with the arguments in the work folder.
    ScenarioRun Run(const std::string& arguments = "--script") const;

    std::string GameDir() const { return m_game; }
    std::string BinDir() const { return m_game + "\\" + m_layout.binFolder; }
    std::string Root() const { return m_dir.Path(); }
    std::string WorkDir() const { return m_game + "\\" + m_layout.workFolder; }

private:
    // The built file laid out under a listed file's name; empty when it is left out.
    std::string BuiltFileFor(const std::string& name) const;

    TempDir m_dir;
    ScenarioLayout m_layout;
    std::string m_game;
};

// Copies a built file from the build's bin folder to a full target path.
void CopyBinaryAs(const std::string& name, const std::string& toPath);
