#include "tests/wine/ClientScenario.h"

#include "app/ComponentFiles.h"
#include "client/GameFileList.h"

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

std::string ClientScenario::BuiltFileFor(const std::string& name) const
{
    const std::pair<const char*, const std::string*> replaced[] = {
        {ComponentFiles::NameOf(ComponentFiles::kCoreHost), &m_layout.vantri},
        {ComponentFiles::NameOf(ComponentFiles::kModules), &m_layout.modules},
        {ComponentFiles::NameOf(ComponentFiles::kMenuModule), &m_layout.tessaru},
        {ComponentFiles::NameOf(ComponentFiles::kHelpLibrary), &m_layout.orvalt},
    };
    for (const auto& [real, built] : replaced)
        if (name == real)
            return *built;
    return name;
}

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
    for (const std::string& path : GameFilePaths(ReadFileBytes(::BinDir() + "\\" + kGameFileListName))) {
        const std::string name = GameFileName(path);
        const std::string built = BuiltFileFor(name);
        if (!built.empty())
            CopyBinaryAs(built, (IsInParentFolder(path) ? m_game : BinDir()) + "\\" + name);
    }
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
