#include "tools/DoctorChecks.h"

#include "app/ComponentFiles.h"
#include "app/ComponentInterfaces.h"
#include "app/HelpLibrary.h"
#include "app/MenuModule.h"
#include "app/ModuleDirectory.h"
#include "app/ProcAddress.h"
#include "framework/LoadedLibrary.h"
#include "tools/IsolatedCheck.h"

#include <windows.h>
#include <objbase.h>

namespace {

struct Component;
using CheckFn = void (*)(const std::string& directory, const Component& component, DoctorReport& report);

// A file start-up loads, as the doctor checks it.
struct Component {
    const char* path;         // relative to the client's folder
    const char* area;         // of its findings
    const CLSID* clsid;       // what its class-object entry is asked for; null for the others
    CheckFn check;            // runs in a child; null for a data file, which is only looked for
    const char* code;         // the library's code the check runs
    const char* whenLost;     // what start-up does without it
    const char* whenTooLong;  // what start-up does when its path does not fit
};

const char* NameOf(const Component& component) { return ComponentFiles::NameOf(component.path); }

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

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
    std::string path = directory + component.path;
    const char* name = NameOf(component);
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        report.Add(Verdict::Fail, "component", Printf("%s: %s beside the client: %s", name,
                                                      attributes == INVALID_FILE_ATTRIBUTES ? "missing" : "a folder",
                                                      component.whenLost));
        return;
    }
    if (!component.clsid) {
        report.Add(Verdict::Ok, "component", Printf("%s: present", name));
        return;
    }
    std::string problem = LibraryImageProblem(path);
    if (problem.empty())
        problem = ProbeClassObject(path, *component.clsid);
    if (problem.empty())
        report.Add(Verdict::Ok, "component",
                   Printf("%s: answers %s with a class factory", name, GuidText(*component.clsid).c_str()));
    else
        report.Add(Verdict::Fail, "component", Printf("%s %s: %s", name, problem.c_str(), component.whenLost));
}

// Loads the component from the client folder's parent; null, with a finding that says why
// and what the plug-in then does, when it cannot be loaded.
HMODULE LoadFromParent(const std::string& directory, const Component& component, DoctorReport& report)
{
    std::string path = directory + component.path;
    const char* name = NameOf(component);
    if (!FileIsThere(path)) {
        report.Add(Verdict::Fail, "menu", Printf("%s is absent in the parent folder: %s", name, component.whenLost));
        return nullptr;
    }
    std::string problem = LibraryImageProblem(path);
    HMODULE hLibrary = problem.empty() ? LoadLibraryA(path.c_str()) : nullptr;
    if (!hLibrary)
        report.Add(Verdict::Fail, "menu", Printf("%s in the parent folder %s: %s", name,
                                                 problem.empty() ? "does not load" : problem.c_str(),
                                                 component.whenLost));
    return hLibrary;
}

void CheckMenuModule(const std::string& directory, const Component& component, DoctorReport& report)
{
    CLoadedLibrary library(LoadFromParent(directory, component, report));
    if (!library)
        return;
    const char* file = NameOf(component);
    int missing = 0;
    MenuEntryPoints entries;
    MenuEntryPoints::ForEach(entries, [&](const char* name, auto&) {
        if (GetProcAddress(library.Get(), name))
            return;
        ++missing;
        report.Add(Verdict::Fail, "menu",
                   Printf("%s lacks %s: the player sees \"加载菜单模块失败\" and gets no right-click menu", file, name));
    });
    if (missing == 0)
        report.Add(Verdict::Ok, "menu", Printf("%s: the menu entry points are there", file));
}

void CheckHelpLibrary(const std::string& directory, const Component& component, DoctorReport& report)
{
    CLoadedLibrary library(LoadFromParent(directory, component, report));
    if (!library)
        return;
    const char* file = NameOf(component);
    auto getGameZip = ProcAddress<GetGameZipPtrFn>(library.Get(), kGetGameZipPtrName);
    if (!getGameZip)
        report.Add(Verdict::Fail, "menu", Printf("%s lacks %s: the plug-in frees it, says nothing, and GetSpeakInfo "
                                                 "answers E_FAIL", file, kGetGameZipPtrName));
    else if (!getGameZip())
        report.Add(Verdict::Fail, "menu", Printf("%s: %s answers no game archive: GetSpeakInfo answers E_FAIL", file,
                                                 kGetGameZipPtrName));
    else
        report.Add(Verdict::Ok, "menu", Printf("%s: %s answers a game archive", file, kGetGameZipPtrName));
}

const Component kComponents[] = {
    {ComponentFiles::kCoreHost, "component", &CLSID_CoreHost, CheckComponent, "its class-object entry",
     "start-up shows \"Load Core Error!\" and the client's load of the plug-in fails",
     "start-up shows \"Load Core Error!\" and fails"},
    {ComponentFiles::kModules, "component", &CLSID_ZRKModules, CheckComponent, "its class-object entry",
     "the host cannot load the modules object", "the modules object is left out"},
    {ComponentFiles::kEncoder, "component", &CLSID_ZRKEncoder, CheckComponent, "its class-object entry",
     "the host cannot load the encoder: no message data", "the encoder is left out"},
    {ComponentFiles::kMessageData, "component", nullptr, nullptr, nullptr, "the encoder gets no message data",
     "no message data is loaded"},
    {ComponentFiles::kMenuModule, "menu", nullptr, CheckMenuModule, "its attach",
     "the plug-in goes on without a right-click menu, and says nothing", "no right-click menu"},
    {ComponentFiles::kHelpLibrary, "menu", nullptr, CheckHelpLibrary, "its attach or GetGameZipPtr",
     "the plug-in says nothing, and GetSpeakInfo answers E_FAIL", "no game archive"},
};

// The check in a child; a fault or a hang there is what start-up would meet inside the
// client's load of the plug-in.
void CheckInChild(const Component& check, const std::string& directory, unsigned long boundMs, DoctorReport& report)
{
    const char* file = NameOf(check);
    ChildOutcome outcome = RunCheckInChild(file, directory, boundMs, report);
    switch (outcome.kind) {
    case ChildOutcome::Kind::Finished:
        return;
    case ChildOutcome::Kind::Faulted:
        report.Add(Verdict::Fail, check.area,
                   Printf("%s faults in %s (exception 0x%08lx): start-up ends there, before any message, and the "
                          "client's load of the plug-in fails", file, check.code, outcome.code));
        return;
    case ChildOutcome::Kind::Ended:
        report.Add(Verdict::Fail, check.area,
                   Printf("%s ends the process in %s (exit code %lu): the game closes during start-up, without a "
                          "message", file, check.code, outcome.code));
        return;
    case ChildOutcome::Kind::TimedOut:
        report.Add(Verdict::Fail, check.area,
                   Printf("%s does not return from %s within %lu ms: start-up waits there, and the client's load of "
                          "the plug-in does not return", file, check.code, boundMs));
        return;
    case ChildOutcome::Kind::NotStarted:
        report.Add(Verdict::Fail, check.area,
                   Printf("%s: the doctor could not start its check (error %lu)", file, outcome.code));
        return;
    }
}

// Libraries in children, data files here, in the table's order.
void CheckArea(const char* area, const std::string& directory, unsigned long boundMs, DoctorReport& report)
{
    for (const Component& component : kComponents) {
        if (std::string(component.area) != area)
            continue;
        if (component.check)
            CheckInChild(component, directory, boundMs, report);
        else
            CheckComponent(directory, component, report);
    }
}

}  // namespace

void CheckComponents(const std::string& directory, unsigned long boundMs, DoctorReport& report)
{
    CheckArea("component", directory, boundMs, report);
}

void CheckMenuModules(const std::string& directory, unsigned long boundMs, DoctorReport& report)
{
    CheckArea("menu", directory, boundMs, report);
}

void CheckComponentPaths(const std::string& directory, DoctorReport& report)
{
    for (const Component& component : kComponents) {
        char path[MAX_PATH];
        if (!FormatModulePath(path, directory.c_str(), component.path))
            report.Add(Verdict::Fail, "path", Printf("%s%s does not fit in %d characters: %s", directory.c_str(),
                                                     component.path, MAX_PATH - 1, component.whenTooLong));
    }
}

bool RunLibraryCheck(const std::string& library, const std::string& directory, DoctorReport& report)
{
    for (const Component& component : kComponents)
        if (component.check && library == NameOf(component)) {
            component.check(directory, component, report);
            return true;
        }
    return false;
}
