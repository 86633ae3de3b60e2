// zrkdoctor.exe on scenario folders: the healthy game folder is all OK, and each fault
// is named, alone, with the exit code start-up's outcome calls for.
#include "tests/wine/ClientScenario.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>

namespace {

struct DoctorRun {
    ProcessResult process;
    std::vector<std::string> problems;  // the WARN and FAIL lines

    std::string Report() const { return process.output; }
};

DoctorRun RunDoctor(const std::string& arguments, const std::string& workDir)
{
    DoctorRun run;
    run.process = RunProcess("\"" + BinDir() + "\\zrkdoctor.exe\" " + arguments, workDir);
    std::istringstream lines(run.process.output);
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, 4, "WARN") == 0 || line.compare(0, 4, "FAIL") == 0)
            run.problems.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    return run;
}

// A deep folder under root whose path runs beyond MAX_PATH, made through the wide
// long-path form; removed with its parents on destruction.
class DeepFolder {
public:
    explicit DeepFolder(const std::string& root)
    {
        std::string path = root;
        while (path.size() <= MAX_PATH + 20) {
            path += "\\a_rather_long_install_folder_name";
            m_levels.push_back(path);
            EXPECT_TRUE(CreateDirectoryW(Wide(path).c_str(), nullptr)) << path;
        }
    }
    ~DeepFolder()
    {
        for (auto level = m_levels.rbegin(); level != m_levels.rend(); ++level)
            RemoveDirectoryW(Wide(*level).c_str());
    }
    DeepFolder(const DeepFolder&) = delete;
    DeepFolder& operator=(const DeepFolder&) = delete;
    const std::string& Path() const { return m_levels.back(); }

private:
    static std::wstring Wide(const std::string& path)
    {
        std::wstring wide = L"\\\\?\\";
        for (char c : path)
            wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
        return wide;
    }
    std::vector<std::string> m_levels;
};

// Kernel objects a squatter holds under the queue's names while the doctor runs.
class Squatter {
public:
    static Squatter Section(DWORD protection, DWORD size)
    {
        return Squatter(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, protection, 0, size, "ClientShareMemSection"));
    }
    static Squatter EventAsMutex() { return Squatter(CreateEventA(nullptr, TRUE, FALSE, "ClientShareMemMutant")); }
    static Squatter HeldMutex() { return Squatter(CreateMutexA(nullptr, TRUE, "ClientShareMemMutant")); }
    // A full-size section whose header counts five records where there are none.
    static Squatter InconsistentSection()
    {
        Squatter squatter = Section(PAGE_READWRITE, 65536);
        void* view = MapViewOfFile(squatter.m_handle, FILE_MAP_WRITE, 0, 0, 0);
        const int32_t header[2] = {5, 8};
        if (view) {
            memcpy(view, header, sizeof header);
            UnmapViewOfFile(view);
        }
        return squatter;
    }
    explicit Squatter(HANDLE handle) : m_handle(handle) { EXPECT_NE(nullptr, handle); }
    Squatter(Squatter&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    ~Squatter()
    {
        if (m_handle)
            CloseHandle(m_handle);
    }

private:
    HANDLE m_handle;
};

std::function<std::vector<Squatter>()> Squat(std::function<Squatter()> make)
{
    return [make] {
        std::vector<Squatter> squatters;
        squatters.push_back(make());
        return squatters;
    };
}

}  // namespace

TEST(Doctor, NamesEachFaultAndOnlyIt)
{
    struct Case {
        const char* name;
        ScenarioLayout layout;
        std::vector<std::string> problems;  // one substring per expected WARN or FAIL line
        DWORD exitCode;
        std::function<std::vector<Squatter>()> squat;
    };
    ScenarioLayout healthy;
    ScenarioLayout noHost;
    noHost.vantri = "";
    ScenarioLayout hostWithoutEntry;
    hostWithoutEntry.vantri = "Vantri_noentry.dll";
    ScenarioLayout hostWithoutFactory;
    hostWithoutFactory.vantri = "Vantri_nofactory.dll";
    ScenarioLayout menuWithoutEntry;
    menuWithoutEntry.tessaru = "Tessaru_noaddnew.dll";
    ScenarioLayout noHelp;
    noHelp.orvalt = "";
    ScenarioLayout trailByteNames;  // narrow literals are GBK here: 運 and 錦 end in 0x5C
    trailByteNames.gameFolder = "游戏";
    trailByteNames.binFolder = "錦";
    trailByteNames.workFolder = "当前目录";
    trailByteNames.clientName = "運.exe";
    ScenarioLayout badConfig;
    badConfig.devconfig = "WIDTH=1024\r\nfullscreen=off\r\nwidth 640\r\nheight=-768\r\nrender=1\r\n";
    const Case cases[] = {
        {"healthy", healthy, {}, 0, nullptr},
        {"Chinese folders and 0x5C trail bytes in the client's names", trailByteNames, {}, 0, nullptr},
        {"no host", noHost, {"FAIL  component  Vantri.dll: missing beside the client: start-up shows \"Load Core Error!\""}, 1, nullptr},
        {"host without its class-object entry", hostWithoutEntry,
         {"FAIL  component  Vantri.dll has no class-object entry (DllGetClassObject)"}, 1, nullptr},
        {"host whose class-object entry refuses the class", hostWithoutFactory,
         {"FAIL  component  Vantri.dll answers {2ED48E16-EA74-4101-AA01-4F60F1AFB474} with 0x80040111 and no class factory"},
         1, nullptr},
        {"menu module without AddNewMenu", menuWithoutEntry,
         {"FAIL  menu       Tessaru.dll lacks AddNewMenu: the player sees \"加载菜单模块失败\""}, 1, nullptr},
        {"no help library", noHelp, {"FAIL  menu       Orvalt.dll is absent in the parent folder"}, 1, nullptr},
        {"a small section squats the queue's name", healthy,
         {"FAIL  queue      ClientShareMemSection: 4096 bytes, smaller than 65536"}, 1,
         Squat([] { return Squatter::Section(PAGE_READWRITE, 4096); })},
        {"a larger section squats the queue's name", healthy,
         {"FAIL  queue      ClientShareMemSection: larger than 65536 bytes: someone else made it"}, 1,
         Squat([] { return Squatter::Section(PAGE_READWRITE, 1 << 20); })},
        {"a section of reserved pages", healthy,
         {"FAIL  queue      ClientShareMemSection: 65536 bytes, only reserved, not committed"}, 1,
         Squat([] { return Squatter::Section(PAGE_READWRITE | SEC_RESERVE, 65536); })},
        {"a zeroed section, as a reader holds it after a client cleared it", healthy, {}, 0,
         Squat([] { return Squatter::Section(PAGE_READWRITE, 65536); })},
        {"an event squats the mutex's name", healthy,
         {"FAIL  queue      ClientShareMemMutant names another kind of object"}, 1, Squat(Squatter::EventAsMutex)},
        {"a process holds the mutex", healthy,
         {"WARN  queue      ClientShareMemMutant: held by another process for over 1000 ms"}, 0, Squat(Squatter::HeldMutex)},
        {"a header that disagrees with its records", healthy,
         {"WARN  queue      ClientShareMemSection: 65536 bytes, committed, but its header disagrees"}, 0,
         Squat(Squatter::InconsistentSection)},
        {"repeated and malformed keys", badConfig,
         {"WARN  config     fullscreen = 0 from line 2 \"fullscreen=off\", which has no digits: not its default 1",
          "WARN  config     height = 768 from line 4 \"height=-768\": the sign before the digits is not read",
          "WARN  config     width appears again on 1 later line(s), first line 3: only line 1 counts"},
         0, nullptr},
    };
    for (const Case& c : cases) {
        ClientScenario game(c.layout);
        std::vector<Squatter> squatters = c.squat ? c.squat() : std::vector<Squatter>();
        DoctorRun run = RunDoctor("\"" + game.BinDir() + "\"", game.WorkDir());
        ASSERT_FALSE(run.process.timedOut) << c.name;
        EXPECT_EQ(c.exitCode, run.process.exitCode) << c.name << "\n" << run.Report();
        EXPECT_EQ(c.problems.size(), run.problems.size()) << c.name << "\n" << run.Report();
        for (const std::string& expected : c.problems) {
            bool found = false;
            for (const std::string& line : run.problems)
                found = found || line.find(expected) == 0;
            EXPECT_TRUE(found) << c.name << ": no line starting " << expected << "\n" << run.Report();
        }
    }
}

TEST(Doctor, RefusesADeepPathAsThePlugInDoes)
{
    TempDir root;
    MakeDirs(root / "work");
    WriteFileBytes(root / "work\\devconfig.txt", "opencount=0\n");
    DeepFolder deep(root.Path());
    DoctorRun run = RunDoctor("\"" + deep.Path() + "\"", root / "work");
    EXPECT_EQ(1u, run.process.exitCode) << run.Report();
    ASSERT_EQ(1u, run.problems.size()) << run.Report();
    EXPECT_EQ(0u, run.problems[0].find("FAIL  path       " + deep.Path() + "\\client.exe: "));
    EXPECT_NE(std::string::npos, run.problems[0].find("the plug-in treats every component as missing")) << run.problems[0];
}

TEST(Doctor, JsonCarriesTheSameFindingsInUtf8AndAConfigFileGivenByPath)
{
    ScenarioLayout layout;
    layout.tessaru = "Tessaru_noaddnew.dll";
    ClientScenario game(layout);
    std::string config = game.Root() + "\\elsewhere.txt";
    WriteFileBytes(config, "shownext=0\nopencount=3\n");
    DoctorRun run = RunDoctor("\"" + game.BinDir() + "\" --json --config \"" + config + "\"", game.WorkDir());
    EXPECT_EQ(1u, run.process.exitCode) << run.Report();
    const std::string& json = run.process.output;
    EXPECT_EQ(0u, json.find("{\"findings\": [")) << json;
    EXPECT_NE(std::string::npos, json.find("{\"verdict\": \"FAIL\", \"area\": \"menu\", \"text\": \"Tessaru.dll lacks "
                                           "AddNewMenu: the player sees \\\"\xE5\x8A\xA0\xE8\xBD\xBD\xE8\x8F\x9C\xE5\x8D\x95"
                                           "\xE6\xA8\xA1\xE5\x9D\x97\xE5\xA4\xB1\xE8\xB4\xA5\\\""))
        << json;
    EXPECT_NE(std::string::npos, json.find("the configuration window does not show at the next start (opencount 3, shownext 0)"))
        << json;
    EXPECT_NE(std::string::npos, json.find("\"fail\": 1, \"exitCode\": 1")) << json;
}
