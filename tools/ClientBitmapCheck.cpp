#include "tools/DoctorChecks.h"

#include "tools/LoadedLibrary.h"

#include <windows.h>

namespace {

constexpr int kBackground = 2010;
// The bitmaps the configuration window draws: its buttons' looks and its tips' images.
const int kWindowBitmaps[] = {2010, 2011, 2012, 2013, 2015, 2016, 2017, 2018, 2020, 2021, 2023, 2026, 2027};

bool HasBitmap(HMODULE hModule, int id)
{
    return FindResourceA(hModule, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)) != nullptr;  // RT_BITMAP
}

}  // namespace

void CheckClientBitmaps(const std::string& executable, bool windowShows, DoctorReport& report)
{
    std::wstring wide(MAX_PATH, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, executable.c_str(), -1, &wide[0], MAX_PATH);
    LoadedLibrary image(length ? LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr);
    if (!image) {
        report.Add(Verdict::Warn, "client", Printf("%s cannot be read (error %lu): its skin bitmaps are not checked",
                                                   executable.c_str(), GetLastError()));
        return;
    }
    std::string missing;
    for (int id : kWindowBitmaps)
        if (!HasBitmap(image.Get(), id))
            missing += Printf("%s%d", missing.empty() ? "" : ", ", id);
    if (missing.empty())
        report.Add(Verdict::Ok, "client", Printf("%s has the skin bitmaps 2010 to 2027 the configuration window draws",
                                                 executable.c_str()));
    else if (!windowShows)
        report.Add(Verdict::Ok, "client", Printf("%s lacks skin bitmaps %s: unused while the configuration window "
                                                 "does not show", executable.c_str(), missing.c_str()));
    else if (!HasBitmap(image.Get(), kBackground))
        report.Add(Verdict::Warn, "client",
                   Printf("%s lacks skin bitmaps %s: the configuration window start-up shows is blank, of its "
                          "template's size at the screen's corner, its OK button outside it: only Enter confirms it",
                          executable.c_str(), missing.c_str()));
    else
        report.Add(Verdict::Warn, "client", Printf("%s lacks skin bitmaps %s: the configuration window shows nothing "
                                                   "where they belong", executable.c_str(), missing.c_str()));
}
