#include "messaging/SharedMemoryChannel.h"

#include <cstring>
#include <new>
#include <utility>

using namespace QueueSection;

// Owns the mutex for one operation and leaves the section consistent for it: a peer
// that died mid-operation may have left a header that disagrees with its records.
class SharedMemoryChannel::LockScope {
public:
    explicit LockScope(SharedMemoryChannel& channel) : m_channel(channel)
    {
        m_bLocked = channel.m_bOpen && channel.Lock(kLockTimeoutMs);
        if (m_bLocked)
            Repair(channel.m_pView, kSectionSize);
    }
    ~LockScope()
    {
        if (m_bLocked)
            m_channel.Unlock();
    }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;

    bool Locked() const { return m_bLocked; }

private:
    SharedMemoryChannel& m_channel;
    bool m_bLocked = false;
};

SharedMemoryChannel::SharedMemoryChannel() = default;

// The owners then unmap the view and close the mapping and the mutex.
SharedMemoryChannel::~SharedMemoryChannel()
{
    if (m_bOpen)
        Clear();
}

// Only our own kind of section is safe to work on: one that is exactly 64 KB (a longer
// view does not map on a smaller section, and a view one page longer maps only on a
// larger one) and whose pages are committed and writable (a section of reserved pages
// would fault on first touch).
bool SectionIsLargerThanOurs(HANDLE hMapping)
{
    CMappedView probe(MapViewOfFile(hMapping, FILE_MAP_READ, 0, 0, kSectionSize + 4096));
    return static_cast<bool>(probe);
}

bool ViewIsCommittedReadWrite(const void* pView)
{
    MEMORY_BASIC_INFORMATION info{};
    return VirtualQuery(pView, &info, sizeof info) == sizeof info && info.State == MEM_COMMIT &&
           info.Protect == PAGE_READWRITE && info.RegionSize >= static_cast<SIZE_T>(kSectionSize);
}

bool SharedMemoryChannel::MapSection(const std::string& name)
{
    CKernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSectionSize,
                                             name.c_str()));
    if (!mapping)
        return false;
    // A section this call created is ours as asked for: only one found under the name
    // needs the checks, each of which costs the system a round trip.
    const bool bFound = GetLastError() == ERROR_ALREADY_EXISTS;
    CMappedView view;
    if (!bFound || !SectionIsLargerThanOurs(mapping.Get()))
        view = CMappedView(MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, kSectionSize));
    if (!view || (bFound && !ViewIsCommittedReadWrite(view.Get())))
        return false;
    m_pView = static_cast<uint8_t*>(view.Get());
    m_mapping = std::move(mapping);
    m_view = std::move(view);
    return true;
}

int SharedMemoryChannel::Open(const std::string& prefix)
{
    std::string mutexName, sectionName;
    try {
        mutexName = MutexName(prefix);
        sectionName = SectionName(prefix);
    } catch (const std::bad_alloc&) {
        return 0;  // without memory for the names the queue cannot be had either
    }
    m_mutex.Attach(CreateMutexA(nullptr, FALSE, mutexName.c_str()));
    if (!m_mutex || !MapSection(sectionName))
        return 0;
    m_bOpen = 1;
    // Under the mutex: the creator's zeros become an empty queue (count 0, end offset
    // 8), and an opener adopts whatever header it finds, repaired if need be. A holder
    // that keeps the mutex leaves the section as it is: every later operation waits for
    // the mutex again and repairs first.
    LockScope lock(*this);
    if (lock.Locked())
        CacheEnd();
    return 1;
}

void SharedMemoryChannel::CacheEnd() { m_nCachedEnd = ReadHeader(m_pView).endOffset; }

int SharedMemoryChannel::Push(const void* data, int32_t length)
{
    LockScope lock(*this);
    if (!lock.Locked())
        return 0;
    bool appended = Append(m_pView, kSectionSize, data, length);
    CacheEnd();
    return appended ? 1 : 0;
}

int SharedMemoryChannel::Pop(void* buffer, int32_t* length, int32_t capacity)
{
    LockScope lock(*this);
    if (!lock.Locked())
        return 0;
    bool removed = Remove(m_pView, kSectionSize, buffer, capacity, length);
    CacheEnd();
    return removed ? 1 : 0;
}

int SharedMemoryChannel::Clear()
{
    LockScope lock(*this);
    if (!lock.Locked())
        return 0;
    int32_t end = m_nCachedEnd < 0 ? 0 : (m_nCachedEnd > kSectionSize ? kSectionSize : m_nCachedEnd);
    std::memset(m_pView, 0, static_cast<size_t>(end < kHeaderSize ? kHeaderSize : end));
    m_nCachedEnd = 0;
    return 1;
}

int SharedMemoryChannel::Lock(DWORD timeoutMs)
{
    if (!m_mutex)
        return 0;
    DWORD result = WaitForSingleObject(m_mutex.Get(), timeoutMs);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED ? 1 : 0;
}

int SharedMemoryChannel::Unlock() { return ReleaseMutex(m_mutex.Get()) ? 1 : 0; }

int SharedMemoryChannel::Snapshot(std::vector<uint8_t>* bytes)
{
    LockScope lock(*this);
    if (!lock.Locked())
        return 0;
    bytes->assign(m_pView, m_pView + kSectionSize);
    return 1;
}
