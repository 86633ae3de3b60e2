// devconfig.txt read through real files in a temporary current directory.
#include "config/DeviceConfig.h"
#include "framework/CException.h"
#include "framework/CStdioFile.h"
#include "tests/wine/ImportRedirect.h"
#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::vector<int32_t> Fields(const DeviceConfig& config)
{
    const int32_t* first = &config.fullscreen;
    return std::vector<int32_t>(first, first + 12);
}

std::vector<int32_t> LoadFrom(const std::string& fileText)
{
    TempDir dir;
    WriteFileBytes(dir / "devconfig.txt", fileText);
    ScopedCurrentDirectory cd(dir.Path());
    LoadDeviceConfig();
    return Fields(TheDeviceConfig());
}

const std::vector<int32_t> kDefaults = {1, 800, 600, 0, 1, 16, 1, 1, 1, 0, 0, 1};

int g_nReadCalls = 0;

// ReadFile as it fails when another process holds a byte range of the file locked
// (LockFile): on Windows the read in that range fails with ERROR_LOCK_VIOLATION. Wine
// does not enforce such locks on reads, so here the second call fails that way.
BOOL WINAPI ReadFailingSecondCall(HANDLE hFile, void* pBuffer, DWORD nCount, DWORD* pnRead, OVERLAPPED* pOverlapped)
{
    if (++g_nReadCalls == 2) {
        if (pnRead)
            *pnRead = 0;
        SetLastError(ERROR_LOCK_VIOLATION);
        return FALSE;
    }
    return SystemFunction<decltype(&ReadFile)>("kernel32.dll", "ReadFile")(hFile, pBuffer, nCount, pnRead, pOverlapped);
}

}  // namespace

TEST(DeviceConfig, MissingFileGivesDefaultsInRecordOrder)
{
    TempDir dir;
    ScopedCurrentDirectory cd(dir.Path());
    LoadDeviceConfig();
    EXPECT_EQ(kDefaults, Fields(TheDeviceConfig()));
}

TEST(DeviceConfig, FullFileFillsEveryField)
{
    std::vector<int32_t> fields = LoadFrom(
        "fullscreen=0\r\nwidth=1024\r\nheight=768\r\nddriver=2\r\nmusic=0\r\nbitdepth=32\r\n"
        "effect=0\r\nsound=0\r\nfps=60\r\nrender=3\r\nopencount=5\r\nshownext=0\r\n");
    EXPECT_EQ((std::vector<int32_t>{0, 1024, 768, 2, 0, 32, 0, 0, 60, 3, 5, 0}), fields);
}

// The reader takes the file in 64 KB blocks: a failing second read ends the scan after
// the first block, whose settings stand; the others keep their defaults.
TEST(DeviceConfig, ReadErrorKeepsWhatWasReadBeforeIt)
{
    std::string text = "width=1024\nopencount=3\n";
    while (text.size() < 70 * 1024)
        text += "-\n";
    text += "height=768\nrender=2\n";
    std::vector<int32_t> whole = kDefaults, firstBlock = kDefaults;
    whole[1] = firstBlock[1] = 1024;
    whole[10] = firstBlock[10] = 3;
    whole[2] = 768;
    whole[9] = 2;
    EXPECT_EQ(whole, LoadFrom(text)) << "read whole";

    g_nReadCalls = 0;
    ScopedImportRedirect failing("kernel32.dll", "ReadFile", reinterpret_cast<const void*>(&ReadFailingSecondCall));
    ASSERT_GT(failing.Slots(), 0) << "no import of ReadFile to redirect";
    EXPECT_EQ(firstBlock, LoadFrom(text)) << "second read failed";
    EXPECT_EQ(2, g_nReadCalls);
}

// What the reader catches: a file exception carrying the system's error, freed by Delete.
TEST(DeviceConfig, ReadErrorIsAFileExceptionWithTheSystemsError)
{
    TempDir dir;
    WriteFileBytes(dir / "devconfig.txt", "width=1024\n");
    CStdioFile file;
    ASSERT_TRUE(file.Open((dir / "devconfig.txt").c_str(), CStdioFile::modeRead));
    g_nReadCalls = 1;
    ScopedImportRedirect failing("kernel32.dll", "ReadFile", reinterpret_cast<const void*>(&ReadFailingSecondCall));
    char buffer[16];
    unsigned long osError = 0;
    try {
        file.Read(buffer, sizeof buffer);
    } catch (CFileException* e) {
        osError = e->m_lOsError;
        e->Delete();
    }
    EXPECT_EQ(static_cast<unsigned long>(ERROR_LOCK_VIOLATION), osError);
}

struct ReadCase {
    const char* fileText;
    const char* key;
    int defaultValue;
    int expected;
};

// How one line matches and parses is the native tests' table; here what the file adds:
// the spellings the README shows, the first matching line, a missing final newline.
TEST(DeviceConfig, ReadConfigValueLines)
{
    const ReadCase cases[] = {
        {"WIDTH=1024\n", "width", 800, 1024},
        {"width 1024\n", "width", 800, 1024},
        {"FullScreen: 1\n", "fullscreen", 0, 1},
        {"render=1\nrender=2\n", "render", 0, 1},
        {"music off, sound 0\n", "music", 1, 0},
        {"music off, sound 0\n", "sound", 1, 0},
        {"bitDepth=24", "bitDepth", 16, 24},                    // no final newline
        {"width=99999999999999999999\n", "width", 800, INT_MAX},  // saturates
        {"other=1\n", "width", 800, 800},
        {"", "width", 800, 800},
        {"\xB1\xB3\xBE\xB0 width=640\n", "width", 800, 640},  // GBK text before the key
    };
    for (const ReadCase& c : cases) {
        TempDir dir;
        WriteFileBytes(dir / "devconfig.txt", c.fileText);
        EXPECT_EQ(c.expected, ReadConfigValue(c.key, c.defaultValue, (dir / "devconfig.txt").c_str()))
            << "file: " << c.fileText << " key: " << c.key;
    }
}

TEST(DeviceConfig, DamagedLinesDoNotHideOtherKeys)
{
    std::string text = "width=1024\n";
    text += std::string("fps=\0" "7 hidden after a NUL\n", 22);
    text += "junk " + std::string(3 * 1024 * 1024, 'x') + "\n";  // a line of megabytes
    text += std::string("\xFF\xFE\x00\x01\r\r\n", 7);
    text += "height=700";                                          // no final newline
    std::vector<int32_t> fields = LoadFrom(text);
    EXPECT_EQ(1024, fields[1]) << "width";
    EXPECT_EQ(700, fields[2]) << "height";
    EXPECT_EQ(0, fields[8]) << "fps: the NUL ends what the line holds";
    EXPECT_EQ(16, fields[5]) << "bitDepth keeps its default";
}

TEST(DeviceConfig, UnreadablePathKeepsDefault)
{
    TempDir dir;
    MakeDirs(dir / "devconfig.txt");  // a directory where the file should be
    EXPECT_EQ(42, ReadConfigValue("width", 42, (dir / "devconfig.txt").c_str()));
}

TEST(DeviceConfig, FileIsOnlyRead)
{
    TempDir dir;
    const std::string text = "opencount=3\nshownext=1\n";
    WriteFileBytes(dir / "devconfig.txt", text);
    {
        ScopedCurrentDirectory cd(dir.Path());
        LoadDeviceConfig();
    }
    EXPECT_EQ(3, TheDeviceConfig().opencount);
    EXPECT_EQ(text, ReadFileBytes(dir / "devconfig.txt"));
}
