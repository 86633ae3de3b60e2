// zrkdoctor.exe on scenario folders: the healthy game folder is all OK, and each fault
// is named, alone, with the exit code start-up's outcome calls for.
#include "framework/KernelHandle.h"
#include "messaging/SharedMemoryChannel.h"
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
    run.process = RunProcess("\"" + BinDir() + "\\zrkdoctor.exe\" " + arguments, workDir, 30000);
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
        return Squatter(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, protection, 0, size, SharedMemoryChannel::SectionName("Client").c_str()));
    }
    static Squatter EventAsMutex() { return Squatter(CreateEventA(nullptr, TRUE, FALSE, SharedMemoryChannel::MutexName("Client").c_str())); }
    static Squatter HeldMutex() { return Squatter(CreateMutexA(nullptr, TRUE, SharedMemoryChannel::MutexName("Client").c_str())); }
    // A full-size section whose header counts five records where there are none.
    static Squatter InconsistentSection()
    {
        Squatter squatter = Section(PAGE_READWRITE, 65536);
        CMappedView view(MapViewOfFile(squatter.m_handle.Get(), FILE_MAP_WRITE, 0, 0, 0));
        const int32_t header[2] = {5, 8};
        if (view)
            memcpy(view.Get(), header, sizeof header);
        return squatter;
    }
    explicit Squatter(HANDLE handle) : m_handle(handle) { EXPECT_NE(nullptr, handle); }

private:
    CKernelHandle m_handle;
};

// A line matches expected when it starts with it; a '*' in expected stands for any text.
bool LineMatches(const std::string& line, const std::string& expected)
{
    size_t star = expected.find('*');
    if (star == std::string::npos)
        return line.compare(0, expected.size(), expected) == 0;
    return line.compare(0, star, expected, 0, star) == 0 && line.find(expected.substr(star + 1), star) != std::string::npos;
}

// ASCII text as UTF-16 little-endian bytes, after a byte order mark when bom is set.
std::string Utf16(const char* ascii, bool bom)
{
    std::string bytes = bom ? "\xFF\xFE" : "";
    for (const char* c = ascii; *c; ++c)
        bytes += std::string(1, *c) + '\0';
    return bytes;
}

// Vantri.dll's header claims the other word size's machine.
void OtherMachineHost(const ClientScenario& game)
{
    std::string path = game.BinDir() + "\\Vantri.dll";
    std::string image = ReadFileBytes(path);
    ASSERT_GT(image.size(), 0x40u);
    uint32_t pe = 0;
    memcpy(&pe, &image[0x3C], 4);
    ASSERT_GT(image.size(), pe + 6u);
    const uint16_t other = sizeof(void*) == 8 ? 0x14C : 0x8664;
    memcpy(&image[pe + 4], &other, 2);
    WriteFileBytes(path, image);
}

std::function<std::vector<Squatter>()> Squat(std::function<Squatter()> make)
{
    return [make] {
        std::vector<Squatter> squatters;
        squatters.push_back(make());
        return squatters;
    };
}

// One doctor run per case, on its own scenario folder.
struct Case {
    const char* name;
    ScenarioLayout layout;
    std::vector<std::string> problems;  // one substring per expected WARN or FAIL line
    DWORD exitCode;
    std::function<std::vector<Squatter>()> squat;
    std::function<void(const ClientScenario&)> alter = nullptr;  // after the layout
    std::string arguments = "";
    const char* printed = nullptr;  // also in the report
};

void ExpectEachNamedAlone(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        ClientScenario game(c.layout);
        if (c.alter)
            c.alter(game);
        std::vector<Squatter> squatters = c.squat ? c.squat() : std::vector<Squatter>();
        DoctorRun run = RunDoctor("\"" + game.BinDir() + "\" " + c.arguments, game.WorkDir());
        ASSERT_FALSE(run.process.timedOut) << c.name << ": the doctor did not end by itself\n" << run.Report();
        if (c.printed) {
            EXPECT_NE(std::string::npos, run.Report().find(c.printed)) << c.name << "\n" << run.Report();
        }
        EXPECT_EQ(c.exitCode, run.process.exitCode) << c.name << "\n" << run.Report();
        EXPECT_EQ(c.problems.size(), run.problems.size()) << c.name << "\n" << run.Report();
        for (const std::string& expected : c.problems) {
            bool found = false;
            for (const std::string& line : run.problems)
                found = found || LineMatches(line, expected);
            EXPECT_TRUE(found) << c.name << ": no line starting " << expected << "\n" << run.Report();
        }
    }
}

ScenarioLayout WithHost(const char* host)
{
    ScenarioLayout layout;
    layout.vantri = host;
    return layout;
}

ScenarioLayout WithModules(const char* modules)
{
    ScenarioLayout layout;
    layout.modules = modules;
    return layout;
}

ScenarioLayout WithDevconfig(const std::string& devconfig)
{
    ScenarioLayout layout;
    layout.devconfig = devconfig;
    return layout;
}

}  // namespace

// The cases are grouped by what the doctor looks at, so the groups run side by side.
TEST(Doctor, NamesEachHostMenuAndHelpFaultAndOnlyIt)
{
    ScenarioLayout healthy;
    ScenarioLayout menuWithoutEntry;
    menuWithoutEntry.tessaru = "Tessaru_noaddnew.dll";
    ScenarioLayout noHelp;
    noHelp.orvalt = "";
    ScenarioLayout trailByteNames;  // narrow literals are GBK here: 運 and 錦 end in 0x5C
    trailByteNames.gameFolder = "游戏";
    trailByteNames.binFolder = "錦";
    trailByteNames.workFolder = "当前目录";
    trailByteNames.clientName = "運.exe";
    const ScenarioLayout noHost = WithHost("");
    const ScenarioLayout hostWithoutEntry = WithHost("Vantri_noentry.dll");
    const ScenarioLayout hostWithoutFactory = WithHost("Vantri_nofactory.dll");
    const ScenarioLayout hostFaults = WithHost("Vantri_fault.dll");
    const ScenarioLayout hostRedirects = WithHost("Vantri_nofactory_redirects.dll");
    const std::string otherMachine = sizeof(void*) == 8 ? "x86 (32-bit): the client loads only x86-64 (64-bit)"
                                                        : "x86-64 (64-bit): the client loads only x86 (32-bit)";
    ExpectEachNamedAlone({
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
        {"a host that faults in its class-object entry", hostFaults,
         {"FAIL  component  Vantri.dll faults in its class-object entry (exception 0xc0000005): start-up ends there"}, 1,
         nullptr},
        {"a host without a factory that redirects standard output", hostRedirects,
         {"FAIL  component  Vantri.dll answers {2ED48E16-EA74-4101-AA01-4F60F1AFB474} with 0x80040111"}, 1, nullptr},
        {"an empty Vantri.dll", healthy,
         {"FAIL  component  Vantri.dll is empty (0 bytes), not a library: start-up shows \"Load Core Error!\""}, 1,
         nullptr, [](const ClientScenario& game) { WriteFileBytes(game.BinDir() + "\\Vantri.dll", ""); }},
        {"a host of the other word size", healthy, {"FAIL  component  Vantri.dll is a library for " + otherMachine}, 1,
         nullptr, OtherMachineHost},
    });
}

TEST(Doctor, NamesEachModuleLibraryFaultAndOnlyIt)
{
    const ScenarioLayout modulesFault = WithModules("ZRKModules_fault.dll");
    const ScenarioLayout modulesHang = WithModules("ZRKModules_hang.dll");
    const ScenarioLayout modulesExit = WithModules("ZRKModules_exits.dll");
    const ScenarioLayout modulesHelper = WithModules("ZRKModules_helper.dll");
    const ScenarioLayout modulesChatty = WithModules("ZRKModules_chatty.dll");
    const ScenarioLayout modulesForge = WithModules("ZRKModules_forges.dll");
    ExpectEachNamedAlone({
        {"a module library that faults in its class-object entry", modulesFault,
         {"FAIL  component  ZRKModules.dll faults in its class-object entry (exception 0xc0000005)"}, 1, nullptr},
        {"a module library that hangs in its class-object entry", modulesHang,
         {"FAIL  component  ZRKModules.dll does not return from its class-object entry within 2000 ms"}, 1, nullptr,
         nullptr, "--wait-ms 2000"},
        {"a module library that ends the process with 0 in its class-object entry", modulesExit,
         {"FAIL  component  ZRKModules.dll ends the process in its class-object entry (exit code 0): the game closes "
          "during start-up"}, 1, nullptr},
        {"a module library that starts a helper holding every inherited handle", modulesHelper, {}, 0, nullptr},
        {"a module library that writes 70 KB to standard output", modulesChatty, {}, 0, nullptr, nullptr,
         "--wait-ms 5000"},
        {"a module library that prints a line in the report's form", modulesForge, {}, 0, nullptr},
    });
}

TEST(Doctor, NamesEachQueueSquatterAndOnlyIt)
{
    ScenarioLayout healthy;
    ExpectEachNamedAlone({
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
    });
}

TEST(Doctor, NamesEachConfigFileFaultAndOnlyIt)
{
    ScenarioLayout healthy;
    const ScenarioLayout badConfig =
        WithDevconfig("WIDTH=1024\r\nfullscreen=off\r\nwidth 640\r\nheight=-768\r\nrender=1\r\n");
    const ScenarioLayout crOnly = WithDevconfig("opencount=0\rshownext=0\rwidth=1024\r");
    const ScenarioLayout keyInWord = WithDevconfig("opencount=0\nmusicvolume=80\n");
    const ScenarioLayout strayNul = WithDevconfig(std::string("opencount=0\r\nab\0cd\r\n", 20));
    const ScenarioLayout utf16Bom = WithDevconfig(Utf16("opencount=0\r\nshownext=0\r\n", true));
    const ScenarioLayout utf16Bare = WithDevconfig(Utf16("opencount=0\r\n", false));
    const ScenarioLayout utf8Bom = WithDevconfig("\xEF\xBB\xBFopencount=0\r\n");
    ExpectEachNamedAlone({
        {"repeated and malformed keys", badConfig,
         {"WARN  config     fullscreen = 0 from line 2 \"fullscreen=off\", which has no digits: not its default 1",
          "WARN  config     height = 768 from line 4 \"height=-768\": the sign before the digits is not read",
          "WARN  config     width appears again on 1 later line(s), first line 3: only line 1 counts"},
         0, nullptr},
        {"devconfig.txt in UTF-16 with a byte order mark", utf16Bom,
         {"WARN  config     *devconfig.txt is UTF-16 (little-endian, with a byte order mark): no key can match, so "
          "every key takes its default; save it as ANSI"}, 0, nullptr},
        {"devconfig.txt in UTF-16 without a byte order mark", utf16Bare,
         {"WARN  config     *devconfig.txt is UTF-16 (no byte order mark, NUL bytes between the letters)"}, 0, nullptr},
        {"devconfig.txt with carriage returns alone", crOnly,
         {"WARN  config     *devconfig.txt ends its lines with carriage returns alone: the plug-in reads it as one "
          "line"}, 0, nullptr},
        {"a key inside a longer word", keyInWord,
         {"WARN  config     music = 80 from line 2 \"musicvolume=80\": the key is found inside the longer word "
          "\"musicvolume\""}, 0, nullptr},
        {"one NUL between two letters", strayNul, {}, 0, nullptr},
        {"devconfig.txt after a UTF-8 byte order mark", utf8Bom, {}, 0, nullptr, nullptr, "",
         "starts with a UTF-8 byte order mark: harmless"},
        {"a folder named devconfig.txt", healthy,
         {"WARN  config     *devconfig.txt is a folder, not a file: every key takes its default"}, 0, nullptr,
         [](const ClientScenario& game) {
             std::string path = game.WorkDir() + "\\devconfig.txt";
             DeleteFileA(path.c_str());
             ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
         }},
    });
}

TEST(Doctor, NamesEachSkinFaultAndOnlyIt)
{
    ScenarioLayout healthy;
    ScenarioLayout clientWithoutSkin = WithDevconfig("opencount=1\nshownext=1\n");
    clientWithoutSkin.client = "client_noskin.exe";
    auto oddSkin = [](const char* client) {
        ScenarioLayout layout = WithDevconfig("opencount=1\nshownext=1\n");
        layout.client = client;
        return layout;
    };
    const std::string background = "WARN  client     *client.exe: background 2010";
    const std::string onlyEnter = background + ": the OK button cannot be clicked there: only Enter confirms the window";
    ExpectEachNamedAlone({
        {"a client without the skin bitmaps, and a devconfig.txt that shows the window", clientWithoutSkin,
         {"WARN  client     *client.exe lacks skin bitmaps 2010, 2011, 2012, 2013, 2015, 2016, 2017, 2018, 2020, "
          "2021, 2023, 2026, 2027: the configuration window start-up shows is blank, of its template's size at the "
          "screen's corner, its OK button outside it: only Enter confirms it"},
         0, nullptr},
        {"the client beside a longer-named program without the skin", healthy, {}, 0, nullptr,
         [](const ClientScenario& game) { CopyBinaryAs("client_noskin.exe", game.BinDir() + "\\game_updater.exe"); },
         "", "client.exe, the only executable there with the skin bitmaps"},
        {"two programs with the skin", healthy,
         {"WARN  client     *executables (client.exe, launcher.exe), 2 with the skin bitmaps: checking "}, 0, nullptr,
         [](const ClientScenario& game) { CopyBinaryAs("client.exe", game.BinDir() + "\\launcher.exe"); }},
        {"a background smaller than the buttons", oddSkin("client_small.exe"),
         {background + " (300 x 200) leaves 11 of the 11 button and tip rectangles outside it", onlyEnter}, 0, nullptr},
        {"a background of one colour", oddSkin("client_uniform.exe"),
         {background + " (580 x 370) is all its key colour (the top-left pixel's): the window's shape is empty",
          onlyEnter}, 0, nullptr},
        {"a background wider than the screen", oddSkin("client_wide.exe"),
         {background + " (4096 x 370) is larger than 800 x 600, the smallest screen the client supports", onlyEnter},
         0, nullptr},
        {"a background stored top-down, which Wine loads all black", oddSkin("client_topdown.exe"),
         {background + " is stored top-down (negative height)", background + " (580 x 370) is all its key colour",
          onlyEnter}, 0, nullptr},
    });
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

TEST(Doctor, JsonCarriesTheSameFindingsInUtf8AndAConfigFileAndClientGivenByPath)
{
    ScenarioLayout layout;
    layout.tessaru = "Tessaru_noaddnew.dll";
    ClientScenario game(layout);
    std::string config = game.Root() + "\\elsewhere.txt";
    WriteFileBytes(config, "shownext=0\nopencount=3\n");
    std::string client = game.Root() + "\\other.exe";
    CopyBinaryAs("client_noskin.exe", client);
    DoctorRun run = RunDoctor("\"" + game.BinDir() + "\" --json --config \"" + config + "\" --client \"" + client + "\"",
                              game.WorkDir());
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
    EXPECT_NE(std::string::npos, json.find("other.exe lacks skin bitmaps 2010, 2011")) << json;
    EXPECT_NE(std::string::npos, json.find("unused while the configuration window does not show")) << json;
}

TEST(Doctor, NamesALockedConfigFile)
{
    ClientScenario game;
    const std::string path = game.WorkDir() + "\\devconfig.txt";
    CKernelHandle lock(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock) << GetLastError();
    DoctorRun run = RunDoctor("\"" + game.BinDir() + "\"", game.WorkDir());
    EXPECT_EQ(0u, run.process.exitCode) << run.Report();
    ASSERT_EQ(1u, run.problems.size()) << run.Report();
    EXPECT_TRUE(LineMatches(run.problems[0], "WARN  config     *devconfig.txt: locked by another process (sharing "
                                             "violation): every key takes its default"))
        << run.Report();
}

// A game folder named in Korean (게임): the doctor, run from it, names the characters.
TEST(Doctor, NamesFolderCharactersOutsideCodePage936)
{
    TempDir root;
    std::wstring folder(root.Path().begin(), root.Path().end());
    folder += L"\\\xAC8C\xC784";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::vector<std::wstring> files;
    for (const char* name : {"zrkdoctor.exe", "client.exe", "ZRKTempDll.dll"}) {
        const std::string from = BinDir() + "\\" + name;
        files.push_back(folder + L"\\" + std::wstring(name, name + std::strlen(name)));
        EXPECT_TRUE(CopyFileW(std::wstring(from.begin(), from.end()).c_str(), files.back().c_str(), FALSE)) << name;
    }
    ProcessResult result;
    {
        char previous[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, previous);
        ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
        result = RunProcess(".\\zrkdoctor.exe", ".", 30000);  // no folder given: its own
        SetCurrentDirectoryA(previous);
    }
    for (const std::wstring& file : files)
        DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
    EXPECT_EQ(1u, result.exitCode) << result.output;
    EXPECT_NE(std::string::npos, result.output.find("FAIL  path       the client folder's path holds characters outside "
                                                    "code page 936 (U+AC8C U+C784)"))
        << result.output;
    EXPECT_EQ(std::string::npos, result.output.find("missing")) << result.output;
}
