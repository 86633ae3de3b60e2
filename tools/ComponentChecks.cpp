#include "tools/DoctorChecks.h"

#include "app/ComponentInterfaces.h"
#include "app/HelpLibrary.h"
#include "app/ProcAddress.h"
#include "framework/LoadedLibrary.h"
#include "tools/IsolatedCheck.h"

#include <windows.h>
#include <objbase.h>

namespace {

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

struct Component {
    const char* file;
    const CLSID* clsid;  // null: a data file
    const char* whenLost;
};

const Component kComponents[] = {
    {"Vantri.dll", &CLSID_CoreHost, "start-up shows \"Load Core Error!\" and the client's load of the plug-in fails"},
    {"ZRKModules.dll", &CLSID_ZRKModules, "the host cannot load the modules object"},
    {"ZRKEncoder.dll", &CLSID_ZRKEncoder, "the host cannot load the encoder: no message data"},
    {"ZRKMsgData.bin", nullptr, "the encoder gets no message data"},
};

const char* const kMenuEntryPoints[] = {"CreateRMenuObject", "ReleaseRMenuWnd", "AddNewMenu", "CreateRMenu",
                                        "SetLpIGameSite"};

std::string GuidText(const GUID& guid)
{
    wchar_t wide[40] = {};
    char narrow[40] = {};
    StringFromGUID2(guid, wide, 40);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

bool FileIsThere(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The library loaded as the plug-in loads it, its class-object entry asked for a class
// factory, everything released. Empty when it answers; else what went wrong.
std::string ProbeClassObject(const std::string& path, const CLSID& clsid)
{
    wchar_t widePath[MAX_PATH] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH))
        return "its path does not convert";
    CLoadedLibrary library(CoLoadLibrary(widePath, FALSE), CLoadedLibrary::Loader::Com);
    if (!library)
        return Printf("does not load (error %lu)", GetLastError());
    auto getClassObject = ProcAddress<DllGetClassObjectFn>(library.Get(), "DllGetClassObject");
    if (!getClassObject)
        return "has no class-object entry (DllGetClassObject)";
    IClassFactory* pFactory = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&pFactory));
    if (pFactory)
        pFactory->Release();
    if (FAILED(hr) || !pFactory)
        return Printf("answers %s with 0x%08lx and no class factory", GuidText(clsid).c_str(),
                      static_cast<unsigned long>(hr));
    return std::string();
}

void CheckComponent(const std::string& directory, const Component& component, DoctorReport& report)
{
    std::string path = directory + component.file;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        report.Add(Verdict::Fail, "component", Printf("%s: %s beside the client: %s", component.file,
                                                      attributes == INVALID_FILE_ATTRIBUTES ? "missing" : "a folder",
                                                      component.whenLost));
        return;
    }
    if (!component.clsid) {
        report.Add(Verdict::Ok, "component", Printf("%s: present", component.file));
        return;
    }
    std::string problem = LibraryImageProblem(path);
    if (problem.empty())
        problem = ProbeClassObject(path, *component.clsid);
    if (problem.empty())
        report.Add(Verdict::Ok, "component", Printf("%s: answers %s with a class factory", component.file,
                                                    GuidText(*component.clsid).c_str()));
    else
        report.Add(Verdict::Fail, "component", Printf("%s %s: %s", component.file, problem.c_str(), component.whenLost));
}

// Loads file from the client folder's parent; null, with a finding that says why and
// what the plug-in then does (whenLost), when it cannot be loaded.
HMODULE LoadFromParent(const std::string& directory, const char* file, const char* whenLost, DoctorReport& report)
{
    std::string path = directory + "..\\" + file;
    if (!FileIsThere(path)) {
        report.Add(Verdict::Fail, "menu", Printf("%s is absent in the parent folder: %s", file, whenLost));
        return nullptr;
    }
    std::string problem = LibraryImageProblem(path);
    HMODULE hLibrary = problem.empty() ? LoadLibraryA(path.c_str()) : nullptr;
    if (!hLibrary)
        report.Add(Verdict::Fail, "menu", Printf("%s in the parent folder %s: %s", file,
                                                 problem.empty() ? "does not load" : problem.c_str(), whenLost));
    return hLibrary;
}

void CheckMenuModule(const std::string& directory, DoctorReport& report)
{
    CLoadedLibrary library(LoadFromParent(directory, "Tessaru.dll",
                                         "the plug-in goes on without a right-click menu, and says nothing", report));
    if (!library)
        return;
    int missing = 0;
    for (const char* name : kMenuEntryPoints)
        if (!GetProcAddress(library.Get(), name)) {
            ++missing;
            report.Add(Verdict::Fail, "menu",
                       Printf("Tessaru.dll lacks %s: the player sees \"加载菜单模块失败\" and gets no right-click menu", name));
        }
    if (missing == 0)
        report.Add(Verdict::Ok, "menu", "Tessaru.dll: the five menu entry points are there");
}

void CheckHelpLibrary(const std::string& directory, DoctorReport& report)
{
    CLoadedLibrary library(LoadFromParent(directory, "Orvalt.dll",
                                         "the plug-in says nothing, and GetSpeakInfo answers E_FAIL", report));
    if (!library)
        return;
    auto getGameZip = ProcAddress<GetGameZipPtrFn>(library.Get(), "GetGameZipPtr");
    if (!getGameZip)
        report.Add(Verdict::Fail, "menu", "Orvalt.dll lacks GetGameZipPtr: the plug-in frees it, says nothing, and "
                                          "GetSpeakInfo answers E_FAIL");
    else if (!getGameZip())
        report.Add(Verdict::Fail, "menu", "Orvalt.dll: GetGameZipPtr answers no game archive: GetSpeakInfo answers E_FAIL");
    else
        report.Add(Verdict::Ok, "menu", "Orvalt.dll: GetGameZipPtr answers a game archive");
}

template <size_t index>
void CheckComponentAt(const std::string& directory, DoctorReport& report)
{
    CheckComponent(directory, kComponents[index], report);
}

// A library whose own code the doctor runs, in a child process each.
struct LibraryCheck {
    const char* file;
    const char* code;  // the library's code that runs
    void (*run)(const std::string& directory, DoctorReport& report);
    const char* area;
};

const LibraryCheck kLibraryChecks[] = {
    {"Vantri.dll", "its class-object entry", CheckComponentAt<0>, "component"},
    {"ZRKModules.dll", "its class-object entry", CheckComponentAt<1>, "component"},
    {"ZRKEncoder.dll", "its class-object entry", CheckComponentAt<2>, "component"},
    {"Tessaru.dll", "its attach", CheckMenuModule, "menu"},
    {"Orvalt.dll", "its attach or GetGameZipPtr", CheckHelpLibrary, "menu"},
};

// The check in a child; a fault or a hang there is what start-up would meet inside the
// client's load of the plug-in.
void CheckInChild(const LibraryCheck& check, const std::string& directory, unsigned long boundMs, DoctorReport& report)
{
    ChildOutcome outcome = RunCheckInChild(check.file, directory, boundMs, report);
    switch (outcome.kind) {
    case ChildOutcome::Kind::Finished:
        return;
    case ChildOutcome::Kind::Faulted:
        report.Add(Verdict::Fail, check.area,
                   Printf("%s faults in %s (exception 0x%08lx): start-up ends there, before any message, and the "
                          "client's load of the plug-in fails", check.file, check.code, outcome.code));
        return;
    case ChildOutcome::Kind::Ended:
        report.Add(Verdict::Fail, check.area,
                   Printf("%s ends the process in %s (exit code %lu): the game closes during start-up, without a "
                          "message", check.file, check.code, outcome.code));
        return;
    case ChildOutcome::Kind::TimedOut:
        report.Add(Verdict::Fail, check.area,
                   Printf("%s does not return from %s within %lu ms: start-up waits there, and the client's load of "
                          "the plug-in does not return", check.file, check.code, boundMs));
        return;
    case ChildOutcome::Kind::NotStarted:
        report.Add(Verdict::Fail, check.area,
                   Printf("%s: the doctor could not start its check (error %lu)", check.file, outcome.code));
        return;
    }
}

void CheckAllInChildren(const char* area, const std::string& directory, unsigned long boundMs, DoctorReport& report)
{
    for (const LibraryCheck& check : kLibraryChecks)
        if (std::string(check.area) == area)
            CheckInChild(check, directory, boundMs, report);
}

}  // namespace

void CheckComponents(const std::string& directory, unsigned long boundMs, DoctorReport& report)
{
    CheckAllInChildren("component", directory, boundMs, report);
    CheckComponent(directory, kComponents[3], report);  // the message data: no code runs
}

void CheckMenuModules(const std::string& directory, unsigned long boundMs, DoctorReport& report)
{
    CheckAllInChildren("menu", directory, boundMs, report);
}

bool RunLibraryCheck(const std::string& library, const std::string& directory, DoctorReport& report)
{
    for (const LibraryCheck& check : kLibraryChecks)
        if (library == check.file) {
            check.run(directory, report);
            return true;
        }
    return false;
}
