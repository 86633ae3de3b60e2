#include "config/DeviceConfig.h"

#include "config/ConfigScanner.h"
#include "framework/CException.h"
#include "framework/CStdioFile.h"

#include <windows.h>

#include <vector>

namespace {

DeviceConfig g_deviceConfig;

}  // namespace

DeviceConfig& TheDeviceConfig() { return g_deviceConfig; }

CString DeviceConfigPath()
{
    char directory[MAX_PATH] = {};
    DWORD nLength = GetCurrentDirectoryA(MAX_PATH, directory);
    if (nLength == 0 || nLength >= MAX_PATH)
        directory[0] = '\0';
    CString path(directory);
    path += "/devconfig.txt";
    return path;
}

bool ScanConfigFile(const char* path, ConfigScanner& scanner)
{
    CStdioFile file;
    if (!file.Open(path, CStdioFile::modeRead))
        return false;
    std::vector<char> buffer(64 * 1024);
    try {
        while (!scanner.Done()) {
            UINT nRead = file.Read(buffer.data(), static_cast<UINT>(buffer.size()));
            if (nRead == 0)
                break;
            scanner.Feed(buffer.data(), nRead);
        }
    } catch (CFileException* e) {
        e->Delete();
        return true;  // what was read so far stands
    }
    scanner.Finish();
    return true;
}

DeviceConfig DeviceConfigFrom(const ConfigScanner& scanner)
{
    DeviceConfig config{};
    for (size_t i = 0; i < kDeviceConfigKeyCount && i < scanner.KeyCount(); ++i)
        config.*kDeviceConfigFields[i] = scanner.Setting(i).value;
    return config;
}

int ReadConfigValue(CString key, int defaultValue, CString path)
{
    const ConfigKey keys[] = {{{key.GetString(), static_cast<size_t>(key.GetLength())}, defaultValue}};
    ConfigScanner scanner(keys, 1);
    try {
        ScanConfigFile(path, scanner);
    } catch (...) {
        // out of memory for the read buffer: the default stands
    }
    return scanner.Setting(0).value;
}

void LoadDeviceConfig()
{
    try {
        ConfigScanner scanner;
        ScanConfigFile(DeviceConfigPath(), scanner);
        g_deviceConfig = DeviceConfigFrom(scanner);
    } catch (...) {
        // out of memory before the scan: every field takes its default
        for (size_t i = 0; i < kDeviceConfigKeyCount; ++i)
            g_deviceConfig.*kDeviceConfigFields[i] = kDeviceConfigKeys[i].defaultValue;
    }
}
