#include "tools/DoctorChecks.h"

#include "app/ComponentInterfaces.h"
#include "app/HelpLibrary.h"
#include "app/ProcAddress.h"

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
    HINSTANCE hLibrary = CoLoadLibrary(widePath, FALSE);
    if (!hLibrary)
        return Printf("does not load (error %lu)", GetLastError());
    std::string problem;
    auto getClassObject = ProcAddress<DllGetClassObjectFn>(hLibrary, "DllGetClassObject");
    IClassFactory* pFactory = nullptr;
    HRESULT hr = getClassObject ? getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&pFactory)) : 0;
    if (!getClassObject)
        problem = "has no class-object entry (DllGetClassObject)";
    else if (FAILED(hr) || !pFactory)
        problem = Printf("answers %s with 0x%08lx and no class factory", GuidText(clsid).c_str(),
                         static_cast<unsigned long>(hr));
    if (pFactory)
        pFactory->Release();
    CoFreeLibrary(hLibrary);
    return problem;
}

void CheckComponent(const std::string& directory, const Component& component, DoctorReport& report)
{
    std::string path = directory + component.file;
    if (!FileIsThere(path)) {
        report.Add(Verdict::Fail, "component", Printf("%s: missing beside the client: %s", component.file, component.whenLost));
        return;
    }
    if (!component.clsid) {
        report.Add(Verdict::Ok, "component", Printf("%s: present", component.file));
        return;
    }
    std::string problem = ProbeClassObject(path, *component.clsid);
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
    HMODULE hLibrary = LoadLibraryA(path.c_str());
    if (!hLibrary)
        report.Add(Verdict::Fail, "menu", Printf("%s %s in the parent folder: %s", file,
                                                 FileIsThere(path) ? "does not load" : "is absent", whenLost));
    return hLibrary;
}

void CheckMenuModule(const std::string& directory, DoctorReport& report)
{
    HMODULE hLibrary = LoadFromParent(directory, "Tessaru.dll",
                                      "the plug-in goes on without a right-click menu, and says nothing", report);
    if (!hLibrary)
        return;
    int missing = 0;
    for (const char* name : kMenuEntryPoints)
        if (!GetProcAddress(hLibrary, name)) {
            ++missing;
            report.Add(Verdict::Fail, "menu",
                       Printf("Tessaru.dll lacks %s: the player sees \"加载菜单模块失败\" and gets no right-click menu", name));
        }
    if (missing == 0)
        report.Add(Verdict::Ok, "menu", "Tessaru.dll: the five menu entry points are there");
    FreeLibrary(hLibrary);
}

void CheckHelpLibrary(const std::string& directory, DoctorReport& report)
{
    HMODULE hLibrary = LoadFromParent(directory, "Orvalt.dll", "the plug-in says nothing, and GetSpeakInfo answers E_FAIL",
                                      report);
    if (!hLibrary)
        return;
    auto getGameZip = ProcAddress<GetGameZipPtrFn>(hLibrary, "GetGameZipPtr");
    if (!getGameZip)
        report.Add(Verdict::Fail, "menu", "Orvalt.dll lacks GetGameZipPtr: the plug-in frees it, says nothing, and "
                                          "GetSpeakInfo answers E_FAIL");
    else if (!getGameZip())
        report.Add(Verdict::Fail, "menu", "Orvalt.dll: GetGameZipPtr answers no game archive: GetSpeakInfo answers E_FAIL");
    else
        report.Add(Verdict::Ok, "menu", "Orvalt.dll: GetGameZipPtr answers a game archive");
    FreeLibrary(hLibrary);
}

}  // namespace

void CheckComponents(const std::string& directory, DoctorReport& report)
{
    for (const Component& component : kComponents)
        CheckComponent(directory, component, report);
}

void CheckMenuModules(const std::string& directory, DoctorReport& report)
{
    CheckMenuModule(directory, report);
    CheckHelpLibrary(directory, report);
}
