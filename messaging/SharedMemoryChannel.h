// A first-in, first-out queue of byte records in a named 64 KB shared-memory section,
// guarded by a named mutex, shared by every process that opens it with the same prefix.
#pragma once

#include "framework/KernelHandle.h"
#include "messaging/QueueSection.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class SharedMemoryChannel {
public:
    SharedMemoryChannel();
    virtual ~SharedMemoryChannel();
    SharedMemoryChannel(const SharedMemoryChannel&) = delete;
    SharedMemoryChannel& operator=(const SharedMemoryChannel&) = delete;

    // The names of the queue's mutex and section for a prefix.
    static std::string MutexName(const std::string& prefix) { return prefix + "ShareMemMutant"; }
    static std::string SectionName(const std::string& prefix) { return prefix + "ShareMemSection"; }

    // Creates or opens MutexName(prefix) and SectionName(prefix) and maps
    // exactly 64 KB of the section. 1 when mapped; 0 when the mutex or section cannot be
    // had (nor the memory for their names), or when the section by that name is not 64 KB
    // of committed read-write memory.
    // Waits at most a second for the mutex: without it the queue is opened as found,
    // uninitialised. Called once per object.
    int Open(const std::string& prefix);
    // Each operation waits at most kLockTimeoutMs for the mutex; on time-out it touches
    // nothing and returns 0, as a closed channel does.
    static constexpr DWORD kLockTimeoutMs = 1000;

    // Appends one record; 0 when closed, full (31 records), or the record does not fit.
    int Push(const void* data, int32_t length);
    // Takes out the oldest record; 0 when closed or empty. The buffer must hold the
    // longest record any writer appends; with a capacity, at most that many bytes are
    // copied and *length still tells the record's full length.
    int Pop(void* buffer, int32_t* length, int32_t capacity = QueueSection::kMaxRecordLength);
    // Zeroes the section from offset 0 up to the end offset this process last saw.
    int Clear();
    // Waits for the mutex; 1 when this thread now owns it (also when its last owner died
    // holding it), else 0.
    int Lock(DWORD timeoutMs);
    int Unlock();

    // Copies the whole section under the mutex, for readers that only look; 0 when closed.
    int Snapshot(std::vector<uint8_t>* bytes);

private:
    class LockScope;

    uint8_t* m_pView = nullptr;  // m_view's address, typed
    int m_bOpen = 0;
    CKernelHandle m_mutex;
    CKernelHandle m_mapping;
    CMappedView m_view;
    int32_t m_nCachedEnd = 0;

    bool MapSection(const std::string& name);
    void CacheEnd();
};

// The channel's tests of a section someone may have made before it, for tools that look
// without opening a channel: true when the section is longer than 64 KB (then refused),
// and true when a view of it is committed read-write for the whole 64 KB.
bool SectionIsLargerThanOurs(HANDLE hMapping);
bool ViewIsCommittedReadWrite(const void* pView);
