// The string of a framework-built module, written from its binary form alone: a pointer
// to the characters behind a header {nRefs, nDataLength, nAllocLength}. Texts of up to
// 512 characters get blocks from pools of 64, 128, 256 and 512 inside larger chunks,
// longer ones a block of their own from the C runtime's malloc; the module's own empty
// string is a static block that it recognises by its address only.
#pragma once

struct PeerStringData {
    long nRefs;
    int nDataLength;
    int nAllocLength;
    char* data() { return reinterpret_cast<char*>(this + 1); }
};

static_assert(sizeof(PeerStringData) == 12, "string header layout");

class PeerString {
public:
    PeerString();
    PeerString(PeerString&& other) noexcept;
    ~PeerString();
    PeerString(const PeerString&) = delete;
    PeerString& operator=(PeerString&&) = delete;

    // A text: copied in place when the block is held once and has room, else the block
    // is released and a new one allocated.
    PeerString& operator=(const char* psz);
    // Another string object: its block is shared, unless it is a static one.
    PeerString& operator=(const PeerString& other);
    // Releases the block; the string is the module's own empty string afterwards.
    void Empty();

    const char* GetString() const { return m_pchData; }

    char* m_pchData;

private:
    PeerStringData* GetData() const { return reinterpret_cast<PeerStringData*>(m_pchData) - 1; }
    void Init();
    void Release();
    void AllocBuffer(int nLength);
    void AssignCopy(const char* pch, int nLength);
};

static_assert(sizeof(PeerString) == sizeof(void*), "a string object is one pointer");

// What the module's string allocator has seen, for the tests.
struct PeerStringStats {
    const char* pchEmpty;     // the characters of the module's own empty string
    long nEmptyRefs;          // its count, -1 unless someone touched it
    long nLiveBlocks;         // blocks it allocated and has not got back
    long nPoolChunks;         // chunks its pools took from malloc
    long nForeignPoolBlocks;  // blocks given to a pool that lie in none of its chunks
    long nStaticReleases;     // releases of another module's static block, which it frees
};

PeerStringStats GetPeerStringStats();
