#include "tools/DoctorChecks.h"

#include "framework/KernelHandle.h"
#include "messaging/GameSite.h"
#include "messaging/QueueSection.h"
#include "messaging/SharedMemoryChannel.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

const std::string kMutexNameText = SharedMemoryChannel::MutexName(GameSite::kClientPrefix);
const std::string kSectionNameText = SharedMemoryChannel::SectionName(GameSite::kClientPrefix);
const char* const kMutexName = kMutexNameText.c_str();
const char* const kSectionName = kSectionNameText.c_str();

// Mapped for writing as the plug-in maps it (bytes 0 means the whole section), so that a
// section it could not write to shows; the doctor itself never writes.
CMappedView MapForWriting(HANDLE hMapping, SIZE_T bytes)
{
    return CMappedView(MapViewOfFile(hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, bytes));
}

// Why the object under name could not be opened, and what start-up will do about it.
void ReportNotOpened(const char* name, DWORD openError, DoctorReport& report)
{
    if (openError == ERROR_FILE_NOT_FOUND)
        report.Add(Verdict::Ok, "queue", Printf("%s: not there now: start-up creates it", name));
    else if (openError == ERROR_INVALID_HANDLE)
        report.Add(Verdict::Fail, "queue", Printf("%s names another kind of object: the plug-in cannot open the queue "
                                                  "and leaves messaging off", name));
    else
        report.Add(Verdict::Fail, "queue", Printf("%s: cannot be opened (error %lu): messaging stays off", name, openError));
}

// Whether the mutex exists and is free; *owned when this process now holds it.
void CheckMutex(HANDLE hMutex, DWORD openError, bool* owned, DoctorReport& report)
{
    *owned = false;
    if (!hMutex) {
        ReportNotOpened(kMutexName, openError, report);
        return;
    }
    DWORD wait = WaitForSingleObject(hMutex, SharedMemoryChannel::kLockTimeoutMs);
    *owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    if (*owned)
        report.Add(Verdict::Ok, "queue", Printf("%s: exists and is free", kMutexName));
    else
        report.Add(Verdict::Warn, "queue", Printf("%s: held by another process for over %lu ms: start-up waits that long and then "
                                                  "works on the queue as it finds it; menu picks post nothing while it is held",
                                                  kMutexName, SharedMemoryChannel::kLockTimeoutMs));
}

// Why the plug-in would not work on a view: its pages as VirtualQuery tells them.
std::string RefusedView(const void* view)
{
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(view, &info, sizeof info) != sizeof info)
        return "its view cannot be examined";
    if (info.State != MEM_COMMIT)
        return Printf("%lu bytes, only reserved, not committed", static_cast<unsigned long>(info.RegionSize));
    if (info.Protect != PAGE_READWRITE)
        return Printf("its pages are not read-write (0x%lx)", static_cast<unsigned long>(info.Protect));
    return Printf("%lu bytes, smaller than %ld", static_cast<unsigned long>(info.RegionSize),
                  static_cast<long>(QueueSection::kSectionSize));
}

void CheckHeader(const uint8_t* view, DoctorReport& report)
{
    std::vector<uint8_t> copy(view, view + QueueSection::kSectionSize);
    QueueSection::Header header = QueueSection::ReadHeader(copy.data());
    if (header.count == 0 && header.endOffset == 0)
        report.Add(Verdict::Ok, "queue", Printf("%s: 65536 bytes, committed, zeroed: an empty queue", kSectionName));
    else if (!QueueSection::IsConsistent(copy.data(), copy.size()))
        report.Add(Verdict::Warn, "queue", Printf("%s: 65536 bytes, committed, but its header disagrees with its records: "
                                                  "the plug-in repairs it and drops what does not fit", kSectionName));
    else
        report.Add(Verdict::Ok, "queue", Printf("%s: 65536 bytes, committed, header consistent, %ld record(s) waiting",
                                                kSectionName, static_cast<long>(header.count)));
}

// The section as the plug-in would take it: exactly 64 KB, committed, read-write.
void CheckSection(HANDLE hMapping, DoctorReport& report)
{
    const char* messagingOff = "someone else made it, and the plug-in leaves messaging off";
    if (SectionIsLargerThanOurs(hMapping)) {
        report.Add(Verdict::Fail, "queue", Printf("%s: larger than 65536 bytes: %s", kSectionName, messagingOff));
        return;
    }
    CMappedView view = MapForWriting(hMapping, QueueSection::kSectionSize);
    if (view && ViewIsCommittedReadWrite(view.Get())) {
        CheckHeader(static_cast<const uint8_t*>(view.Get()), report);
        return;
    }
    CMappedView whole = MapForWriting(hMapping, 0);  // what there is of it, to say why
    std::string why = view ? RefusedView(view.Get()) : whole ? RefusedView(whole.Get())
                                                                        : Printf("cannot be mapped for writing (error %lu)", GetLastError());
    report.Add(Verdict::Fail, "queue", Printf("%s: %s: %s", kSectionName, why.c_str(), messagingOff));
}

}  // namespace

void CheckQueue(DoctorReport& report)
{
    CKernelHandle mutex(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kMutexName));
    DWORD mutexError = mutex.Get() ? 0 : GetLastError();
    bool owned = false;
    CheckMutex(mutex.Get(), mutexError, &owned, report);
    CKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, kSectionName));
    if (mapping)
        CheckSection(mapping.Get(), report);
    else
        ReportNotOpened(kSectionName, GetLastError(), report);
    if (owned)
        ReleaseMutex(mutex.Get());
}
