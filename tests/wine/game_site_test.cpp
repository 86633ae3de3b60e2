// GameSite as the menu module reaches it: through IGameSite's method table by position,
// with every message checked byte for byte as the queue's reader gets it.
#include "framework/KernelHandle.h"
#include "messaging/ChannelMessage.h"
#include "messaging/GameSite.h"
#include "messaging/SharedMemoryChannel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

using QueryInterfaceFn = HRESULT(STDMETHODCALLTYPE*)(void*, REFIID, void**);
using CountFn = ULONG(STDMETHODCALLTYPE*)(void*);
using PostFn = HRESULT(STDMETHODCALLTYPE*)(void*, int32_t, const void*);
using Post8Fn = HRESULT(STDMETHODCALLTYPE*)(void*, int32_t, int32_t, const void*);

// Calls by table position, the way a caller in another module does.
struct SiteTable {
    void* site;
    void** table;

    explicit SiteTable(IGameSite* p) : site(p), table(*reinterpret_cast<void***>(p)) {}
    template <typename Fn>
    Fn At(int position) const { return reinterpret_cast<Fn>(table[position]); }
};

struct SiteFixture : ::testing::Test {
    std::string prefix = "GameSiteTest" + std::to_string(GetCurrentProcessId()) +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name();
    GameSite site{prefix};
    SiteTable calls{&site};
    SharedMemoryChannel reader;

    void SetUp() override { ASSERT_EQ(1, reader.Open(prefix)); }

    // The next record as raw bytes; empty when the queue is empty.
    std::vector<uint8_t> Next()
    {
        std::vector<uint8_t> buffer(QueueSection::kMaxRecordLength);
        int32_t length = 0;
        if (!reader.Pop(buffer.data(), &length))
            return {};
        buffer.resize(static_cast<size_t>(length));
        return buffer;
    }
};

int32_t IntAt(const std::vector<uint8_t>& bytes, size_t offset)
{
    int32_t value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

bool ZeroRange(const std::vector<uint8_t>& bytes, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        if (bytes[i])
            return false;
    return true;
}

#if defined(__i386__)
struct Slot6Call {
    void* result;
    uintptr_t espBefore;
    uintptr_t espAfter;
};

// Slot 6 called as code from the Microsoft compiler destroys an object through its
// virtual destructor: the flags pushed, the object in ECX; the callee pops the flags.
Slot6Call CallSlot6TheMicrosoftWay(IGameSite* site, unsigned flags)
{
    void* slot = (*reinterpret_cast<void***>(site))[6];
    Slot6Call call{};
    void* self = site;
    uintptr_t edx;
    asm volatile(
        "movl %%esp, %%esi\n\t"
        "pushl %[flags]\n\t"
        "call *%[slot]\n\t"
        "movl %%esp, %%edi\n\t"
        "movl %%esi, %%esp\n\t"  // whatever the callee left on the stack
        : "=&S"(call.espBefore), "=&D"(call.espAfter), "=a"(call.result), "+c"(self), "=d"(edx)
        : [flags] "b"(flags), [slot] "a"(slot)
        : "memory", "cc");
    return call;
}
#endif

}  // namespace

TEST_F(SiteFixture, PostType6ByPositionWritesTheExactLayout)
{
    const uint8_t five[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(S_OK, calls.At<PostFn>(3)(calls.site, 5, five));
    std::vector<uint8_t> record = Next();
    ASSERT_EQ(2068u, record.size());
    EXPECT_EQ(6, record[0]);
    EXPECT_TRUE(ZeroRange(record, 1, 8)) << "offsets 1 to 7";
    EXPECT_EQ(0, std::memcmp(record.data() + 8, five, 5));
    EXPECT_TRUE(ZeroRange(record, 13, 2064)) << "offsets 13 to 2063";
    EXPECT_EQ(5, IntAt(record, 2064));
    EXPECT_TRUE(Next().empty()) << "exactly one record";
}

TEST_F(SiteFixture, PostType7AndPostType8ByPosition)
{
    const char text[] = "喇叭";
    EXPECT_EQ(S_OK, calls.At<PostFn>(4)(calls.site, 4, text));
    EXPECT_EQ(S_OK, calls.At<Post8Fn>(5)(calls.site, 42, 0, nullptr));
    std::vector<uint8_t> seven = Next(), eight = Next();
    ASSERT_EQ(2068u, seven.size());
    EXPECT_EQ(7, seven[0]);
    EXPECT_EQ(0, IntAt(seven, 4)) << "no value in type 7";
    EXPECT_EQ(0, std::memcmp(seven.data() + 8, "\xC0\xAE\xB0\xC8", 4)) << "GBK payload";
    ASSERT_EQ(2068u, eight.size());
    EXPECT_EQ(8, eight[0]);
    EXPECT_EQ(42, IntAt(eight, 4));
    EXPECT_TRUE(ZeroRange(eight, 8, 2064)) << "empty payload";
    EXPECT_EQ(0, IntAt(eight, 2064));
}

TEST_F(SiteFixture, The32ndPostingIsDroppedAndTheQueueUnchanged)
{
    const uint8_t one = 9;
    for (int i = 0; i < 31; ++i)
        ASSERT_EQ(S_OK, site.PostType6(1, &one)) << "posting " << i;
    EXPECT_EQ(S_OK, site.PostType8(1, 1, &one)) << "S_OK even when the queue is full";
    int count = 0;
    for (std::vector<uint8_t> record = Next(); !record.empty(); record = Next()) {
        ++count;
        EXPECT_EQ(6, record[0]) << "record " << count;
    }
    EXPECT_EQ(31, count);
}

TEST_F(SiteFixture, LengthsOutsideThePayloadAreRefused)
{
    std::vector<uint8_t> big(4096, 0xEE);
    struct Row {
        int32_t length;
        const void* data;
        HRESULT want;
    } rows[] = {
        {-1, big.data(), E_INVALIDARG},  {2057, big.data(), E_INVALIDARG},
        {INT32_MIN, big.data(), E_INVALIDARG}, {INT32_MAX, big.data(), E_INVALIDARG},
        {3, nullptr, E_INVALIDARG},  {2056, big.data(), S_OK},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.want, site.PostType7(row.length, row.data)) << "length " << row.length;
    std::vector<uint8_t> record = Next();
    ASSERT_EQ(2068u, record.size()) << "only the 2056-byte posting went through";
    EXPECT_EQ(2056, IntAt(record, 2064));
    EXPECT_EQ(0xEE, record[2063]);
    EXPECT_TRUE(Next().empty());
}

TEST_F(SiteFixture, UnknownMethodsByPosition)
{
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(1u, calls.At<CountFn>(1)(calls.site)) << "AddRef";
        EXPECT_EQ(1u, calls.At<CountFn>(2)(calls.site)) << "Release";
    }
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(S_OK, calls.At<QueryInterfaceFn>(0)(calls.site, IID_IUnknown, &out));
    EXPECT_EQ(calls.site, out);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, calls.At<QueryInterfaceFn>(0)(calls.site, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, calls.At<QueryInterfaceFn>(0)(calls.site, IID_IUnknown, nullptr));
}

#if defined(__i386__)
// The destructor clears the queue: a record posted before the call is gone after it.
TEST(GameSite, Slot6IsTheDestructorAMicrosoftCompiledCallerCalls)
{
    const struct {
        unsigned flags;
        const char* what;
    } rows[] = {{1, "deleting"}, {0, "in place"}};
    for (const auto& row : rows) {
        std::string prefix = "GameSiteSlot6" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(row.flags);
        alignas(GameSite) unsigned char storage[sizeof(GameSite)];
        GameSite* site = row.flags & 1 ? new GameSite(prefix) : new (storage) GameSite(prefix);
        SharedMemoryChannel reader;
        ASSERT_EQ(1, reader.Open(prefix)) << row.what;
        const uint8_t one = 1;
        ASSERT_EQ(S_OK, site->PostType6(1, &one)) << row.what;
        Slot6Call call = CallSlot6TheMicrosoftWay(site, row.flags);
        EXPECT_EQ(call.espBefore, call.espAfter) << row.what << ": the callee pops its flags";
        EXPECT_EQ(static_cast<void*>(site), call.result) << row.what;
        std::vector<uint8_t> buffer(QueueSection::kMaxRecordLength);
        int32_t length = 0;
        EXPECT_EQ(0, reader.Pop(buffer.data(), &length)) << row.what << ": the destructor cleared the queue";
    }
}
#endif

TEST(GameSite, PostingIntoAClosedChannelIsHarmless)
{
    std::string prefix = "GameSiteClosed" + std::to_string(GetCurrentProcessId());
    CKernelHandle small(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                           SharedMemoryChannel::SectionName(prefix).c_str()));
    ASSERT_TRUE(small);
    {
        GameSite site(prefix);
        const uint8_t one = 1;
        EXPECT_EQ(S_OK, site.PostType6(1, &one)) << "the message is lost, the caller not told";
    }
    CMappedView mapped(MapViewOfFile(small.Get(), FILE_MAP_READ, 0, 0, 0));
    ASSERT_TRUE(mapped);
    const auto* view = static_cast<const uint8_t*>(mapped.Get());
    EXPECT_EQ(4096, std::count(view, view + 4096, 0)) << "nothing written into the section under our name";
}
