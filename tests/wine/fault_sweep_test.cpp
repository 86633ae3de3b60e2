// The plug-in against the system saying no: one process per (scenario, import, k) in
// which the k-th call of that import fails, checked against the same scenario's clean
// run. The test command runs a fixed, seeded sample that fails every failable import at
// least once; ZRK_FAULT_SWEEP=full runs the whole grid (the first 20 calls of each
// import, then every 10th), the answers other than failures included.
#include "tests/wine/ClientScenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct SweepScenario {
    const char* name;
    const char* probe;  // the fault probe's scenario
    const char* devconfig;
};

// "window" opens the skinned window and confirms it by scripted clicks.
const SweepScenario kScenarios[] = {
    {"window", "startup", "opencount=1\nshownext=1\n"},
    {"startup", "startup", "opencount=0\nwidth=1024\n"},
    {"LoadConfig", "LoadConfig", "opencount=0\n"},
    {"TransferPointer", "TransferPointer", "opencount=0\n"},
    {"GetSpeakInfo", "GetSpeakInfo", "opencount=0\n"},
    {"CreateRPopupMenu", "CreateRPopupMenu", "opencount=0\n"},
    {"OnRButton", "OnRButton", "opencount=0\n"},
    {"post", "post", "opencount=0\n"},
    {"shutdown", "shutdown", "opencount=0\n"},
};

// The records a start-up may leave, as the probe prints them (fullscreen, width,
// height, ddriver, music, bit depth, effect, sound, fps, render, opencount, shownext):
// each click of the window taken or lost, a mode button not made (confirmed with no mode
// checked: render -1), or the file unreadable (the defaults).
const std::map<std::string, std::set<std::string>> kAllowedRecords = {
    {"window",
     {"0 800 600 0 1 16 1 1 1 2 2 1", "1 800 600 0 1 16 1 1 1 2 2 1", "0 800 600 0 1 16 1 1 1 0 2 1",
      "1 800 600 0 1 16 1 1 1 0 2 1", "0 800 600 0 1 16 1 1 1 -1 2 1", "1 800 600 0 1 16 1 1 1 -1 2 1",
      "1 800 600 0 1 16 1 1 1 0 1 1"}},
    {"startup", {"1 1024 600 0 1 16 1 1 1 0 1 1", "1 800 600 0 1 16 1 1 1 0 1 1"}},
};

// The window's clean run: every choice of the scripted player reached the window (OpenGL,
// full screen unticked, OK).
const char kPlayersRecord[] = "0 800 600 0 1 16 1 1 1 2 2 1";

const char* const kCounters[] = {"gdi",     "windows", "handles", "views", "blocks",
                                 "modules", "hooks",   "timers",  "classes", "tls"};

struct ProbeRun {
    ProcessResult process;
    std::map<std::string, long> calls;  // calls of each import in the scenario's phase
    std::set<std::string> failable;
    std::map<std::string, long> residue;  // what stays after the plug-in is freed
    std::multiset<std::string> kept;       // what each of those objects is
    std::string record, fault;
    std::string callLog;  // what the stand-ins logged
    bool loaded = false;
    long loadError = 0;  // GetLastError() after a failed load
    std::string failed;  // the import whose call failed ("" when none did)

    bool Printed(const std::string& text) const { return process.output.find(text) != std::string::npos; }
};

std::map<std::string, long> ParseCounters(std::istringstream& line)
{
    std::map<std::string, long> counters;
    std::string item;
    while (line >> item) {
        const size_t eq = item.find('=');
        if (eq != std::string::npos)
            counters[item.substr(0, eq)] = atol(item.c_str() + eq + 1);
    }
    return counters;
}

void ParseLine(const std::string& text, ProbeRun& run)
{
    std::istringstream line(text);
    std::string probe, what;
    line >> probe >> what;
    if (probe != "probe:")
        return;
    if (what == "calls") {
        std::string name, fails;
        long count = 0;
        line >> name >> count >> fails;
        run.calls[name] = count;
        if (fails == "fails")
            run.failable.insert(name);
    } else if (what == "residue") {
        run.residue = ParseCounters(line);
    } else if (what == "kept") {
        std::string object;
        std::getline(line >> std::ws, object);
        run.kept.insert(object);
    } else if (what == "record") {
        std::getline(line >> std::ws, run.record);
    } else if (what == "load") {
        std::string result, error;
        line >> result >> error;
        run.loaded = result == "ok";
        if (error.rfind("error=", 0) == 0)
            run.loadError = atol(error.c_str() + 6);
    } else if (what == "fault") {
        std::string name, k;
        line >> name >> k >> run.fault;
        if (run.fault == "hit")
            run.failed = name;
    }
}

class SweepFolder {
public:
    explicit SweepFolder(const SweepScenario& scenario) : m_scenario(scenario), m_game(Layout(scenario))
    {
        CopyBinary("fault_probe.exe", m_game.BinDir());
    }

    // With bInLoad the call fails during the load and the scenario itself runs unharmed.
    ProbeRun Run(const std::string& function = "", long k = 0, bool bInLoad = false) const
    {
        std::string command = "\"" + m_game.BinDir() + "\\fault_probe.exe\" " + m_scenario.probe;
        if (!function.empty())
            command += " " + function + " " + std::to_string(k) + (bInLoad ? " load" : "");
        const std::string log = m_game.Root() + "\\calls.log";
        DeleteFileA(log.c_str());
        SetEnvironmentVariableA("ZRK_CALL_LOG", log.c_str());
        ProbeRun run;
        run.process = RunProcess(command, m_game.WorkDir(), 30000);
        SetEnvironmentVariableA("ZRK_CALL_LOG", nullptr);
        run.callLog = ReadFileBytes(log);
        std::istringstream lines(run.process.output);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            ParseLine(line, run);
        }
        return run;
    }

    const SweepScenario& Scenario() const { return m_scenario; }

private:
    static ScenarioLayout Layout(const SweepScenario& scenario)
    {
        ScenarioLayout layout;
        layout.devconfig = scenario.devconfig;
        return layout;
    }

    SweepScenario m_scenario;
    ClientScenario m_game;
};

// The calls whose failure must fail start-up, and why: without the component host the
// game cannot start, and the player is told so.
struct StartUpFailure {
    const char* function;
    const char* reason;
};
const StartUpFailure kStartUpFailures[] = {
    {"CoLoadLibrary", "the host's library cannot be loaded"},
    {"GetProcAddress", "the host's library shows no class-object entry"},
    {"MultiByteToWideChar", "the host's path cannot be made wide for loading it"},
    {"GetModuleFileNameA", "the client's folder, where the host lies, cannot be known"},
};

const char kLoadCoreError[] = "probe: message box Load Core Error!";

// A load the clean run made and this run did not: sound only when the failed call is one
// that must fail start-up and the entry point refused (1114) after telling the player.
std::string JudgeFailedLoad(const ProbeRun& run)
{
    const long kEntryRefused = 1114;  // ERROR_DLL_INIT_FAILED
    if (run.loadError != kEntryRefused)
        return "crash: the load failed with error " + std::to_string(run.loadError);
    for (const StartUpFailure& failure : kStartUpFailures)
        if (run.failed.substr(0, run.failed.find('/')) == failure.function && run.Printed(kLoadCoreError))
            return "";
    return "wrong result: the load failed";
}

// What the client, the player and the queue's reader see of a scenario: the exports'
// answers (the speak text, the host handed out), the records queued, the message boxes,
// and the stand-ins' log of the components loaded and called.
std::vector<std::string> Observed(const ProbeRun& run)
{
    static const char* const kShown[] = {"probe: speak ", "probe: core host ", "probe: queue", "probe: message box"};
    std::vector<std::string> seen;
    std::istringstream output(run.process.output);
    for (std::string line; std::getline(output, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        for (const char* shown : kShown)
            if (line.rfind(shown, 0) == 0)
                seen.push_back(line);
    }
    std::istringstream log(run.callLog);
    for (std::string line; std::getline(log, line);)
        seen.push_back(line);
    return seen;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

const char kMenuModuleBox[] =
    "probe: message box \xBC\xD3\xD4\xD8\xB2\xCB\xB5\xA5\xC4\xA3\xBF\xE9\xCA\xA7\xB0\xDC";

// What a failed call may take away from what the clean run showed: the menu module and
// the help library are optional (start-up goes on without either, and what needs them
// then does nothing), without the queue's section messaging is off, and a posting the
// channel cannot take is dropped and still answered S_OK (a record that arrives garbled
// shows as one that was not there before).
bool MayBeLost(const std::string& line)
{
    return StartsWith(line, "Tessaru: ") || StartsWith(line, "Orvalt: ") || StartsWith(line, "probe: queue") ||
           StartsWith(line, "probe: speak ");  // judged by what replaced it
}

// The host's use of the plug-in's CCFunction object, which start-up without memory for
// the object does not register: it goes on without it, as it goes on when registering fails.
bool IsCCFunctionUse(const std::string& line)
{
    return StartsWith(line, "Vantri: RegisterObject {CF0A0941-690B-4B0D-BC8F-E4DCA91D02E5} ") ||
           StartsWith(line, "Vantri: Notify ") || StartsWith(line, "Vantri: Bind ") ||
           line == "Vantri: bound block handed out" || StartsWith(line, "Vantri: unbound");
}

bool IsAllocator(const std::string& function)
{
    return function == "malloc" || function == "calloc" || function == "realloc";
}

// What a failed call may add: the menu module's message box when it cannot be bound, a
// speak request answered E_FAIL with the buffer untouched, the queue's section absent.
bool MayAppear(const std::string& line)
{
    if (line == kMenuModuleBox || line == "probe: queue section absent")
        return true;
    const size_t failed = line.find(" hr=0x80004005 same text=");
    return StartsWith(line, "probe: speak ") && failed != std::string::npos &&
           failed + strlen(" hr=0x80004005 same text=") == line.size();
}

// What this run showed that the clean run did not, or lost of what it showed, beyond
// what a failure may change; empty when they agree.
std::string Difference(const std::vector<std::string>& clean, const std::vector<std::string>& run, bool bNoMemory)
{
    std::multiset<std::string> lost(clean.begin(), clean.end());
    std::vector<std::string> added;
    for (const std::string& line : run) {
        const auto it = lost.find(line);
        if (it != lost.end())
            lost.erase(it);
        else
            added.push_back(line);
    }
    for (const std::string& line : added)
        if (!MayAppear(line))
            return "showed " + line;
    for (const std::string& line : lost)
        if (!MayBeLost(line) && !(bNoMemory && IsCCFunctionUse(line)))
            return "lost " + line;
    const auto speaks = [](const std::vector<std::string>& lines) {
        return std::count_if(lines.begin(), lines.end(), [](const std::string& line) { return StartsWith(line, "probe: speak "); });
    };
    if (speaks(clean) != speaks(run))
        return "answered a different number of speak requests";
    return "";
}

// What the plug-in keeps while loaded, the C++ runtime's per-thread exception storage
// made by a first failure included, is released when it is freed: what stays after the
// free is what a failure may not add to, counted and object by object.
std::string Leak(const ProbeRun& clean, const ProbeRun& run)
{
    for (const char* counter : kCounters) {
        const auto count = [counter](const std::map<std::string, long>& counters) {
            const auto it = counters.find(counter);
            return it == counters.end() ? 0 : it->second;
        };
        if (count(run.residue) > count(clean.residue))
            return std::string("leak of ") + counter;
    }
    for (const std::string& object : run.kept)
        if (run.kept.count(object) > clean.kept.count(object))
            return "leak of " + object;
    return "";
}

std::string WrongResult(const SweepScenario& scenario, const ProbeRun& clean, const ProbeRun& run)
{
    if (clean.loaded && !run.loaded)
        return JudgeFailedLoad(run);
    if (!run.loaded)
        return "";
    const std::string difference = Difference(Observed(clean), Observed(run), IsAllocator(run.failed));
    if (!difference.empty())
        return "wrong result: " + difference;
    const auto allowed = kAllowedRecords.find(scenario.name);
    if (allowed != kAllowedRecords.end() && !allowed->second.count(run.record))
        return "wrong result: record " + run.record;
    return "";
}

// What is wrong with a run that failed one call, judged against the clean run (a leak
// and a wrong result both named); empty when nothing is.
std::string Verdict(const SweepScenario& scenario, const ProbeRun& clean, const ProbeRun& run)
{
    if (run.process.timedOut)
        return "hang";
    if (run.Printed("probe: crash") || !run.Printed("probe: done") || run.process.exitCode != 0)
        return "crash";
    if (run.Printed("probe: exception"))
        return "crash: an exception inside the plug-in";
    const std::string leak = Leak(clean, run);
    const std::string wrong = WrongResult(scenario, clean, run);
    if (wrong.rfind("crash", 0) == 0)
        return wrong;
    return leak.empty() || wrong.empty() ? leak + wrong : leak + "; " + wrong;
}

struct Fault {
    const SweepFolder* folder;
    std::string function;
    long k;
};

// Answers other than the canonical failure, each swept like a failable import of its own:
// waits that time out or find their mutex abandoned, names already taken by an object of
// another kind or size, paths that do not fit.
const char* const kVariants[] = {
    "WaitForSingleObject/timeout", "WaitForSingleObject/abandoned", "CreateMutexA/squatted",
    "CreateFileMappingA/squatted", "CreateSemaphoreW/squatted",     "GetModuleFileNameA/truncated",
    "GetCurrentDirectoryA/truncated",
};

// k = 1..20, then every 10th up to the calls of the clean run.
std::vector<long> FullKs(long calls)
{
    std::vector<long> ks;
    for (long k = 1; k <= calls; k += k < 20 ? 1 : 10)
        ks.push_back(k);
    return ks;
}

struct Sweep {
    std::vector<std::unique_ptr<SweepFolder>> folders;
    std::map<std::string, ProbeRun> clean;
    std::set<std::string> swept;
    int runs = 0, missed = 0, crashes = 0, hangs = 0, leaks = 0, wrong = 0;
    std::vector<std::string> findings;

    void Record()
    {
        for (const SweepScenario& scenario : kScenarios) {
            folders.push_back(std::make_unique<SweepFolder>(scenario));
            clean[scenario.name] = folders.back()->Run();
        }
    }

    std::vector<Fault> Grid(bool bFull) const
    {
        std::vector<Fault> grid;
        std::map<std::string, std::vector<Fault>> byFunction;
        for (const auto& folder : folders) {
            const ProbeRun& run = clean.at(folder->Scenario().name);
            for (const std::string& function : run.failable)
                for (long k : FullKs(run.calls.at(function)))
                    byFunction[function].push_back({folder.get(), function, k});
            if (!bFull)
                continue;  // the sample keeps its time: the variants run in the whole sweep
            for (const std::string variant : kVariants) {
                const auto called = run.calls.find(variant.substr(0, variant.find('/')));
                if (called != run.calls.end())
                    for (long k : FullKs(called->second))
                        byFunction[variant].push_back({folder.get(), variant, k});
            }
        }
        std::mt19937 random(20041009);
        for (auto& entry : byFunction) {
            if (bFull) {
                grid.insert(grid.end(), entry.second.begin(), entry.second.end());
                continue;
            }
            grid.push_back(entry.second[random() % entry.second.size()]);
        }
        return grid;
    }

    void RunFault(const Fault& fault)
    {
        const SweepScenario& scenario = fault.folder->Scenario();
        const ProbeRun run = fault.folder->Run(fault.function, fault.k);
        ++runs;
        swept.insert(fault.function.substr(0, fault.function.find('/')));
        if (run.fault != "hit" && !run.process.timedOut && run.Printed("probe: done"))
            ++missed;
        const std::string verdict = Verdict(scenario, clean.at(scenario.name), run);
        if (verdict.empty())
            return;
        int& count = verdict == "hang"                  ? hangs
                     : verdict.rfind("crash", 0) == 0   ? crashes
                     : verdict.rfind("leak", 0) == 0    ? leaks
                                                        : wrong;
        ++count;
        findings.push_back(std::string(scenario.name) + " " + fault.function + " k=" + std::to_string(fault.k) + ": " +
                           verdict + "\n" + run.process.output + run.callLog);
    }

    std::string Summary() const
    {
        char line[256];
        snprintf(line, sizeof line,
                 "fault sweep: %zu imports, %d calls failed one at a time (%d runs past the calls made), "
                 "%d crashes, %d hangs, %d leaks, %d wrong results",
                 swept.size(), runs - missed, missed, crashes, hangs, leaks, wrong);
        return line;
    }
};

// Where the summary line goes for the test command to show.
void WriteSummary(const std::string& line)
{
    WriteFileBytes(BinDir() + "\\fault_sweep.txt", line + "\n");
}

bool FullSweepAsked()
{
    const char* mode = getenv("ZRK_FAULT_SWEEP");
    return mode && std::string(mode) == "full";
}

}  // namespace

TEST(FaultSweep, EveryFailedCallEndsSoundly)
{
    Sweep sweep;
    sweep.Record();
    for (const auto& entry : sweep.clean) {
        ASSERT_TRUE(entry.second.loaded && entry.second.Printed("probe: done"))
            << entry.first << " clean run:\n" << entry.second.process.output;
    }
    ASSERT_FALSE(sweep.clean.at("window").failable.empty()) << "no import counted in the load";
    EXPECT_EQ(kPlayersRecord, sweep.clean.at("window").record) << sweep.clean.at("window").process.output;
    const bool bFull = FullSweepAsked();
    for (const Fault& fault : sweep.Grid(bFull))
        sweep.RunFault(fault);
    const std::string summary = sweep.Summary() + (bFull ? "" : " (seeded sample: each import once)");
    printf("%s\n", summary.c_str());
    WriteSummary(summary);
    for (const std::string& finding : sweep.findings)
        ADD_FAILURE() << finding;
}

// Failures whose outcome the player or the queue's reader sees, and the calls whose
// failure once hung or ended the process.
struct NamedFault {
    const char* scenario;
    const char* function;
    long k;
    bool bInLoad;
    bool bLoads;
    const char* messageBox;  // "" when none may show
    const char* record;      // "" when any allowed one will do
    const char* printed;     // in the probe's output or the stand-ins' log ("" is always)
    const char* fault = "hit";  // "missed": the scenario no longer makes that call
};

#ifdef _WIN64
const char kSetWindowProc[] = "SetWindowLongPtrA";
#else
const char kSetWindowProc[] = "SetWindowLongA";
#endif

const NamedFault kNamedFaults[] = {
    // The component host cannot be loaded: the player is told and the load fails.
    {"startup", "CoLoadLibrary", 1, false, false, "Load Core Error!", "", ""},
    // The menu module lacks an entry: its message box, and start-up goes on.
    {"startup", "GetProcAddress", 2, false, true, "\xBC\xD3\xD4\xD8\xB2\xCB\xB5\xA5\xC4\xA3\xBF\xE9\xCA\xA7\xB0\xDC", "", ""},
    // No window: start-up goes on with the file's values.
    {"window", "CreateDialogIndirectParamA", 1, false, true, "", "1 800 600 0 1 16 1 1 1 0 2 1", ""},
    // Subclassing refused: the window never ran and start-up hung in its modal loop.
    {"window", kSetWindowProc, 1, false, true, "", "1 800 600 0 1 16 1 1 1 0 2 1", ""},
    // The file unreadable: the exception on the way made the runtime's thread storage,
    // whose lock (a semaphore) stayed behind after the free.
    {"startup", "ReadFile", 1, false, true, "", "1 800 600 0 1 16 1 1 1 0 1 1", ""},
    // No TLS slot: the C++ runtime's thread storage aborted the process.
    {"startup", "TlsAlloc", 1, false, true, "", "1 1024 600 0 1 16 1 1 1 0 1 1", ""},
    // The window left half made, with no OK button (k=45: the table of its controls):
    // start-up hung in its modal loop. The window now ends as one that could not be made.
    {"window", "malloc", 45, false, true, "", "1 800 600 0 1 16 1 1 1 0 2 1", ""},
    // A mode button not made: the window still ends and the record is one a player could
    // confirm (render -1 when no mode was checked).
    {"window", "malloc", 72, false, true, "", "", ""},
    // A tip's binding refused: its window was left for the process to keep.
    {"window", "SetWindowsHookExA", 4, false, true, "", "", ""},
    // Unloading allocates nothing: a static window's destructor took a lock made with new,
    // and its failure there ended the process.
    {"shutdown", "malloc", 1, false, true, "", "", "", "missed"},
    // No memory for the queue's object or its names (the whole sweep: window k=130):
    // start-up failed, silently. Messaging is off now and the game starts.
    {"startup", "malloc", 45, false, true, "", "1 1024 600 0 1 16 1 1 1 0 1 1", ""},
    {"startup", "malloc", 46, false, true, "", "1 1024 600 0 1 16 1 1 1 0 1 1", ""},
    // The window left at its template's size, or without its background: OK lies outside
    // it, and the player's pointer cannot reach it. Enter confirms it then.
    {"window", "SetWindowPos", 1, false, true, "", "", ""},
    {"window", "LoadBitmapA", 1, false, true, "", "", ""},
    // No memory for the plug-in's CCFunction object: start-up registers none and goes on.
    {"startup", "malloc", 44, false, true, "", "1 1024 600 0 1 16 1 1 1 0 1 1", ""},
    // 32-bit: the unload's exit list refused its first entry, the unwinder's release
    // (the sample's seed on that word size): its semaphore stayed after the free.
    {"window", "calloc", 1, false, true, "", "", ""},
    // The section refused: messaging is off, and a post is answered S_OK and dropped.
    {"post", "CreateFileMappingA", 1, true, true, "", "", "probe: queue section absent"},
    {"post", "CreateFileMappingA", 1, true, true, "", "", "Tessaru: item 101 posted -> 0"},
};

void PrintTo(const NamedFault& row, std::ostream* out)
{
    *out << row.scenario << " " << row.function << " k=" << row.k << (row.bInLoad ? " in the load" : "");
}

class NamedFaults : public ::testing::TestWithParam<NamedFault> {};

TEST_P(NamedFaults, EndAsTheFailureShould)
{
    const NamedFault& row = GetParam();
    const SweepScenario* scenario = nullptr;
    for (const SweepScenario& candidate : kScenarios)
        if (std::string(candidate.name) == row.scenario)
            scenario = &candidate;
    ASSERT_TRUE(scenario);
    SweepFolder folder(*scenario);
    const ProbeRun clean = folder.Run();
    ASSERT_TRUE(clean.loaded && clean.Printed("probe: done")) << clean.process.output;
    const ProbeRun run = folder.Run(row.function, row.k, row.bInLoad);
    const std::string report = run.process.output + run.callLog;
    ASSERT_EQ("", Verdict(*scenario, clean, run)) << report;
    EXPECT_EQ(row.fault, run.fault) << report;
    EXPECT_EQ(row.bLoads, run.loaded) << report;
    const std::string box = *row.messageBox ? std::string("probe: message box ") + row.messageBox : "probe: message box";
    EXPECT_EQ(*row.messageBox != 0, run.Printed(box)) << report;
    EXPECT_TRUE(!*row.record || run.record == row.record) << report;
    EXPECT_NE(std::string::npos, report.find(row.printed)) << report;
}

INSTANTIATE_TEST_SUITE_P(Rows, NamedFaults, ::testing::ValuesIn(kNamedFaults));
