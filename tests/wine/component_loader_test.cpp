// Loading a component library without the registry, and the directory the component
// file names are resolved against.
#include "app/ComponentLoader.h"
#include "app/ModuleDirectory.h"
#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>
#include <objbase.h>

namespace {

const CLSID kCoreHostClass = {0x2ED48E16, 0xEA74, 0x4101, {0xAA, 0x01, 0x4F, 0x60, 0xF1, 0xAF, 0xB4, 0x74}};
const IID kCoreHostInterface = {0xE457587A, 0x108E, 0x437C, {0xA9, 0x35, 0x01, 0xDE, 0x7D, 0x6A, 0xF0, 0x5A}};

std::string Built(const char* name) { return BinDir() + "\\" + name; }

bool IsLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

}  // namespace

TEST(LoadComponent, CreatesTheObjectThroughTheLibrarysOwnEntry)
{
    IUnknown* pObject = nullptr;
    HINSTANCE hLibrary = LoadComponent(Built("Vantri.dll").c_str(), kCoreHostClass, kCoreHostInterface,
                                         reinterpret_cast<void**>(&pObject));
    ASSERT_NE(nullptr, hLibrary);
    ASSERT_NE(nullptr, pObject);
    EXPECT_EQ(0u, pObject->Release()) << "the caller holds the only reference";
    CoFreeLibrary(hLibrary);
    EXPECT_FALSE(IsLoaded(Built("Vantri.dll")));
}

TEST(LoadComponent, ReportsEachFailureThroughItsTwoResults)
{
    struct Row {
        const char* library;
        CLSID clsid;
        bool handle;
    };
    const Row rows[] = {
        {"Vantri_noentry.dll", kCoreHostClass, true},    // no class-object entry
        {"Vantri_nofactory.dll", kCoreHostClass, true},  // the entry gives no factory
        {"Vantri.dll", kCoreHostInterface, true},         // a class the library does not make
        {"Missing.dll", kCoreHostClass, false},
    };
    for (const Row& row : rows) {
        auto* pObject = reinterpret_cast<IUnknown*>(0x1);
        HINSTANCE hLibrary = LoadComponent(Built(row.library).c_str(), row.clsid, kCoreHostInterface,
                                             reinterpret_cast<void**>(&pObject));
        EXPECT_EQ(row.handle, hLibrary != nullptr) << row.library;
        EXPECT_EQ(nullptr, pObject) << row.library;
        EXPECT_EQ(row.handle, IsLoaded(Built(row.library))) << row.library << " stays loaded for the caller";
        if (hLibrary)
            CoFreeLibrary(hLibrary);
    }
}

TEST(LoadComponent, NullArgumentsLoadNothing)
{
    IUnknown* pObject = nullptr;
    EXPECT_EQ(nullptr, LoadComponent(Built("Vantri.dll").c_str(), kCoreHostClass, kCoreHostInterface, nullptr));
    EXPECT_EQ(nullptr, LoadComponent(nullptr, kCoreHostClass, kCoreHostInterface,
                                       reinterpret_cast<void**>(&pObject)));
    EXPECT_FALSE(IsLoaded(Built("Vantri.dll")));
}

TEST(ModuleDirectory, IsTheExecutablesFolderWithATrailingBackslash)
{
    std::string expected = BinDir() + "\\";
    EXPECT_EQ(expected, std::string(ModuleDirectory()));
    EXPECT_EQ(expected, std::string(ModuleDirectory())) << "second, cached call";
    std::string forward = expected;
    for (char& c : forward)
        if (c == '\\')
            c = '/';
    EXPECT_EQ(forward, std::string(ModuleDirectoryForwardSlash()));
    EXPECT_EQ(forward, std::string(ModuleDirectoryForwardSlash()));
    EXPECT_EQ(expected, std::string(ModuleDirectory())) << "the forward form has a cache of its own";
}

TEST(ModuleDirectory, OfALoadedLibrary)
{
    HMODULE hLibrary = LoadLibraryA(Built("Orvalt_noentry.dll").c_str());
    ASSERT_NE(nullptr, hLibrary);
    EXPECT_EQ(BinDir() + "\\", std::string(ComputeModuleDirectory(hLibrary)));
    FreeLibrary(hLibrary);
}

// Narrow literals are GBK here: 運 is DF 5C, whose trail byte is a backslash.
TEST(ModuleDirectory, OfAPathFoundByCharacterOrRefused)
{
    using S = ModuleDirectoryStatus;
    std::string longest = "C:\\" + std::string(MAX_PATH - 1 - 3 - 6, 'd') + "\\x.exe";
    struct Row {
        const char* path;
        S status;
        std::string directory;
    } rows[] = {
        {"C:\\Game\\Bin\\client.exe", S::Found, "C:\\Game\\Bin\\"},
        {"C:\\游戏\\運.exe", S::Found, "C:\\游戏\\"},
        {"C:\\運\\誠錦.exe", S::Found, "C:\\運\\"},
        {"d:\\client.exe", S::Found, "d:\\"},
        {"\\\\server\\share\\client.exe", S::Found, "\\\\server\\share\\"},
        {longest.c_str(), S::Found, longest.substr(0, longest.size() - 5)},
        {"client.exe", S::NotAbsolute, ""},
        {"..\\Bin\\client.exe", S::NotAbsolute, ""},
        {"\\Bin\\client.exe", S::NotAbsolute, ""},
        {"C:client.exe", S::NotAbsolute, ""},
        {"", S::Empty, ""},
        {nullptr, S::Empty, ""},
    };
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), longest.size());
    for (const Row& row : rows) {
        ModuleDirectoryAnswer answer = ModuleDirectoryOfPath(row.path);
        std::string shown = row.path ? row.path : "(null)";
        EXPECT_EQ(static_cast<int>(row.status), static_cast<int>(answer.status)) << shown;
        EXPECT_EQ(row.directory, answer.directory) << shown;
    }
    ModuleDirectoryAnswer tooLong = ModuleDirectoryOfPath((longest + "e").c_str());
    EXPECT_EQ(static_cast<int>(S::TooLong), static_cast<int>(tooLong.status)) << "260 characters and the zero";
    EXPECT_EQ("", tooLong.directory);
}

TEST(ModuleDirectory, SeparatorConversionsInPlace)
{
    char text[] = "C:/Game\\Bin/x";
    BackToForwardSlash(text);
    EXPECT_STREQ("C:/Game/Bin/x", text);
    ForwardToBackSlash(text);
    EXPECT_STREQ("C:\\Game\\Bin\\x", text);
    ForwardToBackSlash(static_cast<char*>(nullptr));
    BackToForwardSlash(static_cast<char*>(nullptr));
    CString str("a/b\\c");
    ForwardToBackSlash(str);
    EXPECT_STREQ("a\\b\\c", str);
    BackToForwardSlash(str);
    EXPECT_STREQ("a/b/c", str);

    // A Chinese folder whose second byte is 0x5C (GBK DF 5C) keeps its character.
    char gbk[] = "C:\\\xDF\x5C\\Bin\\";
    BackToForwardSlash(gbk);
    EXPECT_STREQ("C:/\xDF\x5C/Bin/", gbk);
    ForwardToBackSlash(gbk);
    EXPECT_STREQ("C:\\\xDF\x5C\\Bin\\", gbk);
    CString gbkString("C:\\\xDF\x5C\\Bin\\");
    BackToForwardSlash(gbkString);
    EXPECT_STREQ("C:/\xDF\x5C/Bin/", gbkString);
    ForwardToBackSlash(gbkString);
    EXPECT_STREQ("C:\\\xDF\x5C\\Bin\\", gbkString);
}

TEST(ModuleDirectory, ModulePathsThatDoNotFitAreRefused)
{
    char buffer[MAX_PATH];
    std::string fits(MAX_PATH - 1 - 14, 'd');  // 245 + "ZRKModules.dll" = 259
    ASSERT_TRUE(FormatModulePath(buffer, fits.c_str(), "ZRKModules.dll"));
    EXPECT_EQ(fits + "ZRKModules.dll", std::string(buffer));
    std::string tooLong = fits + "d";
    EXPECT_FALSE(FormatModulePath(buffer, tooLong.c_str(), "ZRKModules.dll"));
    EXPECT_STREQ("", buffer);
    EXPECT_FALSE(FormatModulePath(buffer, "", "Vantri.dll")) << "a bare name is never built";
    EXPECT_STREQ("", buffer);
}
