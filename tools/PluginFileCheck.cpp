#include "tools/DoctorChecks.h"

#include "framework/KernelHandle.h"
#include "tools/PeImage.h"
#include "util/Utilities.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

// The names of res/ZRKTempDll.def, written out by the build.
const char* const kExports[] = {
#include "PluginExports.inc"
};
constexpr DWORD kMaxFileBytes = 64 * 1024 * 1024;
// The client loads libraries of its own word size, which the doctor is built for too.
#if defined(_WIN64)
constexpr uint16_t kClientMachine = kPeMachineAmd64;
#else
constexpr uint16_t kClientMachine = kPeMachineI386;
#endif

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes)
{
    CKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return false;
    DWORD size = GetFileSize(file.Get(), nullptr);
    DWORD read = 0;
    if (size == INVALID_FILE_SIZE || size > kMaxFileBytes)
        return false;
    bytes->resize(size);
    return size == 0 || (ReadFile(file.Get(), bytes->data(), size, &read, nullptr) && read == size);
}

// Empty when image is a library the client can load; else what it is instead.
std::string ImageKindProblem(const std::vector<uint8_t>& bytes, const PeImage& image)
{
    if (bytes.empty())
        return "is empty (0 bytes), not a library";
    if (!image.valid)
        return "is not a PE image (" + image.problem + ")";
    if (image.machine != kClientMachine)
        return "is a library for " + PeMachineName(image.machine) + ": the client loads only " +
               PeMachineName(kClientMachine);
    if (!image.isLibrary)
        return "is an executable, not a library";
    return std::string();
}

// A system library is one the loader finds in the system folder.
bool IsSystemLibrary(const std::string& name)
{
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    std::string path = std::string(system) + "\\" + name;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CheckImports(const std::string& name, const PeImage& image, DoctorReport& report)
{
    std::string system;
    bool foreign = false;
    for (const std::string& import : image.imports) {
        if (IsSystemLibrary(import)) {
            system += (system.empty() ? "" : ", ") + import;
            continue;
        }
        foreign = true;
        report.Add(Verdict::Fail, "plug-in",
                   Printf("%s imports %s, which is not a system library: the client cannot load the plug-in "
                          "unless it is shipped beside it", name.c_str(), import.c_str()));
    }
    if (!foreign)
        report.Add(Verdict::Ok, "plug-in", Printf("%s imports only system libraries: %s", name.c_str(), system.c_str()));
}

}  // namespace

std::string LibraryImageProblem(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes))
        return "cannot be read";
    return ImageKindProblem(bytes, ReadPeImage(bytes.data(), bytes.size()));
}

void CheckPluginFile(const std::string& directory, DoctorReport& report)
{
    const std::string name = "ZRKTempDll.dll";
    const std::string path = directory + name;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, &bytes)) {
        report.Add(Verdict::Fail, "plug-in", Printf("%s: not found or unreadable beside the client", path.c_str()));
        return;
    }
    PeImage image = ReadPeImage(bytes.data(), bytes.size());
    std::string problem = ImageKindProblem(bytes, image);
    if (!problem.empty()) {
        report.Add(Verdict::Fail, "plug-in", Printf("%s %s", path.c_str(), problem.c_str()));
        return;
    }
    CString version = GetFileVersionText(path.c_str());
    if (GetFileVersionNumber(path.c_str()) == 0xFFFFFFFF)
        report.Add(Verdict::Warn, "plug-in", Printf("%s: no version record", name.c_str()));
    else
        report.Add(Verdict::Ok, "plug-in", Printf("%s: present, version %s", name.c_str(), version.GetString()));
    int missing = 0;
    for (const char* wanted : kExports)
        if (std::find(image.exports.begin(), image.exports.end(), wanted) == image.exports.end()) {
            ++missing;
            report.Add(Verdict::Fail, "plug-in",
                       Printf("%s does not export %s: the client cannot call it", name.c_str(), wanted));
        }
    if (missing == 0)
        report.Add(Verdict::Ok, "plug-in", Printf("%s exports every entry point", name.c_str()));
    CheckImports(name, image, report);
}
