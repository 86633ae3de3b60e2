#include "tests/wine/ClientScenario.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

void CopyBinaryAs(const std::string& name, const std::string& toPath)
{
    std::string from = ::BinDir() + "\\" + name;
    EXPECT_TRUE(CopyFileA(from.c_str(), toPath.c_str(), FALSE)) << from << " -> " << toPath;
}

ClientScenario::ClientScenario(const ScenarioLayout& layout)
    : m_layout(layout), m_game(layout.gameFolder.empty() ? m_dir.Path() : m_dir / layout.gameFolder)
{
    MakeDirs(BinDir());
    MakeDirs(WorkDir());
    CopyBinaryAs(layout.client, BinDir() + "\\" + layout.clientName);
    for (const char* name : {"ZRKTempDll.dll", "ZRKEncoder.dll", "ZRKMsgData.bin"})
        CopyBinary(name, BinDir());
    if (!layout.vantri.empty())
        CopyBinaryAs(layout.vantri, BinDir() + "\\Vantri.dll");
    if (!layout.modules.empty())
        CopyBinaryAs(layout.modules, BinDir() + "\\ZRKModules.dll");
    if (!layout.tessaru.empty())
        CopyBinaryAs(layout.tessaru, m_game + "\\Tessaru.dll");
    if (!layout.orvalt.empty())
        CopyBinaryAs(layout.orvalt, m_game + "\\Orvalt.dll");
    WriteFileBytes(WorkDir() + "\\devconfig.txt", layout.devconfig);
}

ScenarioRun ClientScenario::Run(const std::string& arguments) const
{
    std::string log = m_dir / "calls.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("ZRK_CALL_LOG", log.c_str());
    ScenarioRun run;
    run.process = RunProcess("\"" + BinDir() + "\\" + m_layout.clientName + "\" " + arguments, WorkDir());
    SetEnvironmentVariableA("ZRK_CALL_LOG", nullptr);
    run.calls = SplitLines(ReadFileBytes(log));
    return run;
}

int ScenarioRun::CountPrinted(const std::string& text) const
{
    int count = 0;
    for (size_t at = process.output.find(text); at != std::string::npos;
         at = process.output.find(text, at + 1))
        ++count;
    return count;
}

int ScenarioRun::FindCall(const std::string& prefix) const
{
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].compare(0, prefix.size(), prefix) == 0)
            return static_cast<int>(i);
    return -1;
}

int ScenarioRun::CountCalls(const std::string& prefix) const
{
    int count = 0;
    for (const std::string& call : calls)
        count += call.compare(0, prefix.size(), prefix) == 0;
    return count;
}

std::string ScenarioRun::Report() const
{
    std::string report = "--- output:\n" + process.output + "--- calls:\n";
    for (const std::string& call : calls)
        report += call + "\n";
    return report;
}
