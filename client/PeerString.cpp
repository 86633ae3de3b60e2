#include "client/PeerString.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

namespace {

struct EmptyBlock {
    PeerStringData header;
    char text[4];
};
EmptyBlock g_empty = {{-1, 0, 0}, {0}};

PeerStringStats g_stats = {};

// The blocks it took from malloc, for the live count only (the module itself does not
// look). Plain data: strings of other static objects may be released at any time.
class MallocBlockList {
public:
    void Insert(PeerStringData* data)
    {
        if (m_nCount == m_nCapacity) {
            size_t nCapacity = m_nCapacity ? m_nCapacity * 2 : 64;
            auto** pItems = static_cast<PeerStringData**>(realloc(m_pItems, nCapacity * sizeof *m_pItems));
            if (!pItems)
                abort();
            m_pItems = pItems;
            m_nCapacity = nCapacity;
        }
        m_pItems[m_nCount++] = data;
    }

    bool Erase(PeerStringData* data)
    {
        for (size_t i = 0; i < m_nCount; ++i) {
            if (m_pItems[i] == data) {
                m_pItems[i] = m_pItems[--m_nCount];
                return true;
            }
        }
        return false;
    }

private:
    PeerStringData** m_pItems;
    size_t m_nCount;
    size_t m_nCapacity;
};

MallocBlockList g_mallocBlocks;

// Fixed-size blocks carved from chunks; a chunk goes back to nobody. The module uses it
// from one thread.
class BlockPool {
public:
    constexpr explicit BlockPool(int nAllocLength)
        : m_nAllocLength(nAllocLength),
          m_nBlockSize((sizeof(PeerStringData) + nAllocLength + 1 + 3) & ~size_t(3)) {}

    PeerStringData* Alloc()
    {
        if (!m_pFree)
            AddChunk();
        FreeBlock* block = m_pFree;
        m_pFree = block->pNext;
        ++g_stats.nLiveBlocks;
        auto* data = reinterpret_cast<PeerStringData*>(block);
        data->nAllocLength = m_nAllocLength;
        return data;
    }

    // Takes any block back, as the module does; one from outside its chunks is counted.
    void Free(PeerStringData* data)
    {
        if (OwnsBlock(data))
            --g_stats.nLiveBlocks;
        else
            ++g_stats.nForeignPoolBlocks;
        auto* block = reinterpret_cast<FreeBlock*>(data);
        block->pNext = m_pFree;
        m_pFree = block;
    }

private:
    struct FreeBlock {
        FreeBlock* pNext;
    };
    struct Chunk {
        Chunk* pNext;
    };
    static const int kBlocksPerChunk = 16;

    void AddChunk()
    {
        auto* chunk = static_cast<Chunk*>(malloc(sizeof(Chunk) + kBlocksPerChunk * m_nBlockSize));
        if (!chunk)
            abort();  // the module's allocation failure ends the process
        chunk->pNext = m_pChunks;
        m_pChunks = chunk;
        ++g_stats.nPoolChunks;
        char* first = reinterpret_cast<char*>(chunk + 1);
        for (int i = kBlocksPerChunk - 1; i >= 0; --i) {
            auto* block = reinterpret_cast<FreeBlock*>(first + i * m_nBlockSize);
            block->pNext = m_pFree;
            m_pFree = block;
        }
    }

    bool OwnsBlock(const PeerStringData* data) const
    {
        const char* p = reinterpret_cast<const char*>(data);
        for (const Chunk* chunk = m_pChunks; chunk; chunk = chunk->pNext) {
            const char* first = reinterpret_cast<const char*>(chunk + 1);
            if (p >= first && p < first + kBlocksPerChunk * m_nBlockSize)
                return (p - first) % m_nBlockSize == 0;
        }
        return false;
    }

    int m_nAllocLength;
    size_t m_nBlockSize;
    Chunk* m_pChunks = nullptr;
    FreeBlock* m_pFree = nullptr;
};

BlockPool g_pools[] = {BlockPool(64), BlockPool(128), BlockPool(256), BlockPool(512)};
const int kPoolLengths[] = {64, 128, 256, 512};

PeerStringData* NewData(int nLength)
{
    for (int i = 0; i < 4; ++i)
        if (nLength <= kPoolLengths[i])
            return g_pools[i].Alloc();
    auto* data = static_cast<PeerStringData*>(malloc(sizeof(PeerStringData) + nLength + 1));
    if (!data)
        abort();
    data->nAllocLength = nLength;
    g_mallocBlocks.Insert(data);
    ++g_stats.nLiveBlocks;
    return data;
}

// Which pool a block goes back to follows from its allocation length alone.
void FreeData(PeerStringData* data)
{
    for (int i = 0; i < 4; ++i) {
        if (data->nAllocLength == kPoolLengths[i]) {
            g_pools[i].Free(data);
            return;
        }
    }
    if (g_mallocBlocks.Erase(data))
        --g_stats.nLiveBlocks;
    free(data);
}

}  // namespace

PeerStringStats GetPeerStringStats()
{
    PeerStringStats stats = g_stats;
    stats.pchEmpty = g_empty.header.data();
    stats.nEmptyRefs = g_empty.header.nRefs;
    return stats;
}

PeerString::PeerString() { Init(); }

PeerString::PeerString(PeerString&& other) noexcept : m_pchData(other.m_pchData) { other.Init(); }

PeerString::~PeerString() { Release(); }

void PeerString::Init() { m_pchData = g_empty.header.data(); }

// Every block but its own empty string is counted down, and freed at zero or below.
void PeerString::Release()
{
    PeerStringData* data = GetData();
    if (data != &g_empty.header) {
        if (data->nRefs < 0)
            ++g_stats.nStaticReleases;
        if (InterlockedDecrement(&data->nRefs) <= 0)
            FreeData(data);
    }
    Init();
}

void PeerString::Empty() { Release(); }

void PeerString::AllocBuffer(int nLength)
{
    if (nLength == 0) {
        Init();
        return;
    }
    PeerStringData* data = NewData(nLength);
    data->nRefs = 1;
    data->nDataLength = nLength;
    data->data()[nLength] = '\0';
    m_pchData = data->data();
}

void PeerString::AssignCopy(const char* pch, int nLength)
{
    PeerStringData* data = GetData();
    if (data->nRefs > 1 || nLength > data->nAllocLength) {
        Release();
        AllocBuffer(nLength);
    }
    if (nLength > 0)
        memcpy(m_pchData, pch, nLength);
    GetData()->nDataLength = nLength;
    m_pchData[nLength] = '\0';
}

PeerString& PeerString::operator=(const char* psz)
{
    AssignCopy(psz, psz ? static_cast<int>(strlen(psz)) : 0);
    return *this;
}

PeerString& PeerString::operator=(const PeerString& other)
{
    if (m_pchData == other.m_pchData)
        return *this;
    PeerStringData* source = other.GetData();
    if (source->nRefs < 0) {
        AssignCopy(other.m_pchData, source->nDataLength);
        return *this;
    }
    Release();
    m_pchData = other.m_pchData;
    InterlockedIncrement(&source->nRefs);
    return *this;
}
