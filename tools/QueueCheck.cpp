#include "tools/DoctorChecks.h"

#include "messaging/QueueSection.h"

#include <windows.h>

#include <vector>

namespace {

const char kMutexName[] = "ClientShareMemMutant";
const char kSectionName[] = "ClientShareMemSection";
constexpr DWORD kLockWaitMs = 1000;

class Handle {
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle()
    {
        if (m_h)
            CloseHandle(m_h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

// Mapped for writing as the plug-in maps it, so that a section it could not write to
// shows; the doctor itself never writes.
class View {
public:
    explicit View(HANDLE hMapping) : m_p(MapViewOfFile(hMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0)) {}
    ~View()
    {
        if (m_p)
            UnmapViewOfFile(m_p);
    }
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    const uint8_t* Get() const { return static_cast<const uint8_t*>(m_p); }

private:
    void* m_p;
};

std::string WrongType(const char* name)
{
    return Printf("%s names another kind of object: the plug-in cannot open the queue and leaves messaging off", name);
}

// Whether the mutex exists and is free; *owned when this process now holds it.
void CheckMutex(HANDLE hMutex, DWORD openError, bool* owned, DoctorReport& report)
{
    *owned = false;
    if (!hMutex) {
        if (openError == ERROR_FILE_NOT_FOUND)
            report.Add(Verdict::Ok, "queue", Printf("%s: not there now: start-up creates it", kMutexName));
        else if (openError == ERROR_INVALID_HANDLE)
            report.Add(Verdict::Fail, "queue", WrongType(kMutexName));
        else
            report.Add(Verdict::Fail, "queue", Printf("%s: cannot be opened (error %lu): messaging stays off", kMutexName, openError));
        return;
    }
    DWORD wait = WaitForSingleObject(hMutex, kLockWaitMs);
    *owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    if (*owned)
        report.Add(Verdict::Ok, "queue", Printf("%s: exists and is free", kMutexName));
    else
        report.Add(Verdict::Warn, "queue", Printf("%s: held by another process for over %lu ms: start-up and menu picks wait for it",
                                                  kMutexName, kLockWaitMs));
}

void CheckView(const uint8_t* view, DoctorReport& report)
{
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(view, &info, sizeof info) != sizeof info) {
        report.Add(Verdict::Fail, "queue", Printf("%s: its view cannot be examined: messaging stays off", kSectionName));
        return;
    }
    unsigned long size = static_cast<unsigned long>(info.RegionSize);
    if (info.State != MEM_COMMIT) {
        report.Add(Verdict::Fail, "queue", Printf("%s: %lu bytes, only reserved, not committed: messaging stays off", kSectionName, size));
        return;
    }
    if (info.Protect != PAGE_READWRITE) {
        report.Add(Verdict::Fail, "queue", Printf("%s: its pages are not read-write (0x%lx): messaging stays off", kSectionName,
                                                  static_cast<unsigned long>(info.Protect)));
        return;
    }
    if (size < static_cast<unsigned long>(QueueSection::kSectionSize)) {
        report.Add(Verdict::Fail, "queue", Printf("%s: %lu bytes, smaller than %ld: someone else made it, and the plug-in "
                                                  "leaves messaging off", kSectionName, size, static_cast<long>(QueueSection::kSectionSize)));
        return;
    }
    std::vector<uint8_t> copy(view, view + QueueSection::kSectionSize);
    QueueSection::Header header = QueueSection::ReadHeader(copy.data());
    if (header.count == 0 && header.endOffset == 0) {
        report.Add(Verdict::Ok, "queue", Printf("%s: %lu bytes, committed, zeroed: an empty queue", kSectionName, size));
        return;
    }
    if (!QueueSection::IsConsistent(copy.data(), copy.size())) {
        report.Add(Verdict::Warn, "queue", Printf("%s: %lu bytes, committed, but its header disagrees with its records: "
                                                  "the plug-in repairs it and drops what does not fit", kSectionName, size));
        return;
    }
    report.Add(Verdict::Ok, "queue", Printf("%s: %lu bytes, committed, header consistent, %ld record(s) waiting", kSectionName,
                                            size, static_cast<long>(header.count)));
}

}  // namespace

void CheckQueue(DoctorReport& report)
{
    Handle mutex(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kMutexName));
    DWORD mutexError = mutex.Get() ? 0 : GetLastError();
    bool owned = false;
    CheckMutex(mutex.Get(), mutexError, &owned, report);
    Handle mapping(OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, kSectionName));
    DWORD sectionError = mapping.Get() ? 0 : GetLastError();
    if (!mapping.Get()) {
        if (sectionError == ERROR_FILE_NOT_FOUND)
            report.Add(Verdict::Ok, "queue", Printf("%s: not there now: start-up creates it", kSectionName));
        else if (sectionError == ERROR_INVALID_HANDLE)
            report.Add(Verdict::Fail, "queue", WrongType(kSectionName));
        else
            report.Add(Verdict::Fail, "queue", Printf("%s: cannot be opened (error %lu): messaging stays off", kSectionName, sectionError));
    } else {
        View view(mapping.Get());
        if (view.Get())
            CheckView(view.Get(), report);
        else
            report.Add(Verdict::Fail, "queue", Printf("%s: cannot be mapped for writing (error %lu): messaging stays off",
                                                      kSectionName, GetLastError()));
    }
    if (owned)
        ReleaseMutex(mutex.Get());
}
