// The Win32 half of the utilities: file search, version records, the real address
// look-up and the interface accessor.
#include "tests/wine/TestSupport.h"
#include "util/Utilities.h"

#include <winsock2.h>

#include <gtest/gtest.h>

TEST(Utilities, FileExistsFindsFilesFoldersAndWildcards)
{
    TempDir dir;
    WriteFileBytes(dir / "a.txt", "x");
    EXPECT_EQ(1, FileExists((dir / "a.txt").c_str()));
    EXPECT_EQ(1, FileExists((dir / "*.txt").c_str()));
    EXPECT_EQ(1, FileExists(dir.Path().c_str()));
    EXPECT_EQ(0, FileExists((dir / "b.txt").c_str()));
    EXPECT_EQ(0, FileExists(""));
}

TEST(Utilities, VersionOfThePlugIn)
{
    const std::string dll = BinDir() + "\\ZRKTempDll.dll";
    EXPECT_EQ(1000101u, GetFileVersionNumber(dll.c_str()));
    EXPECT_STREQ("0.10 Alpha1 Build1", GetFileVersionText(dll.c_str()));
    EXPECT_EQ(0x0101, GetFileBuildNumber(dll.c_str()));
}

TEST(Utilities, FileWithoutVersionRecord)
{
    TempDir dir;
    WriteFileBytes(dir / "plain.txt", "no version here");
    const std::string path = dir / "plain.txt";
    EXPECT_EQ(0xFFFFFFFFu, GetFileVersionNumber(path.c_str()));
    EXPECT_STREQ("", GetFileVersionText(path.c_str()));
    EXPECT_EQ((72 << 8) | 95, GetFileBuildNumber(path.c_str()));
}

// The field rules themselves are the native tests' table; here only the CString wrapper.
TEST(Utilities, GetFieldThroughCString)
{
    EXPECT_STREQ("k2", GetField("k1::k2::k3", "::", 2));
    EXPECT_STREQ("", GetField("a,b", ",", 5));
}

TEST(Utilities, LocalIpAddressFromTheSystem)
{
    WSADATA wsa;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &wsa));
    unsigned long address = 0xDEADBEEF;
    CString text = GetLocalIpAddress(&address);
    if (text.IsEmpty()) {
        EXPECT_EQ(0u, address) << "a failed look-up reports address 0";
    } else {
        EXPECT_NE(INADDR_NONE, inet_addr(text)) << text.GetString();
        if (address != 0xDEADBEEF) {
            EXPECT_EQ(inet_addr(text), address) << "the stored value is the reported address";
        }
    }
    EXPECT_EQ(text, GetLocalIpAddress(nullptr)) << "a null address slot is allowed";
    WSACleanup();
}

namespace {

// An object whose method at table position 10 reports 77.
struct ValueObject {
    const void* const* vtable;
};

HRESULT STDMETHODCALLTYPE ReportValue(ValueObject*, int* value)
{
    *value = 77;
    return S_OK;
}

}  // namespace

TEST(Utilities, GetObjectValueCallsPositionTen)
{
    const void* table[11] = {};
    table[10] = reinterpret_cast<const void*>(&ReportValue);
    ValueObject object = {table};
    EXPECT_EQ(77, GetObjectValue(reinterpret_cast<IUnknown*>(&object)));
    EXPECT_EQ(0, GetObjectValue(nullptr));
}

TEST(Utilities, BytesToLettersNeverPassesTheBuffer)
{
    const unsigned char bytes[] = {0x00, 0xFF};
    char buffer[6];
    memset(buffer, '#', sizeof buffer);
    int length = -1;
    EXPECT_EQ(0, BytesToLetters(bytes, 2, buffer, 4, &length));
    EXPECT_EQ(0, length);
    EXPECT_EQ('#', buffer[0]);
    EXPECT_EQ(1, BytesToLetters(bytes, 2, buffer, 5, &length));
    EXPECT_STREQ("aapp", buffer);
    EXPECT_EQ('#', buffer[5]);
}
