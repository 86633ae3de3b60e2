#include "config/DeviceConfig.h"

#include "config/ConfigLine.h"
#include "framework/CException.h"
#include "framework/CStdioFile.h"

#include <windows.h>

namespace {

DeviceConfig g_deviceConfig;

// devconfig.txt in the current directory; "/devconfig.txt" when the directory is
// unknown or longer than the buffer.
CString DeviceConfigPath()
{
    char directory[MAX_PATH] = {};
    DWORD nLength = GetCurrentDirectoryA(MAX_PATH, directory);
    if (nLength == 0 || nLength >= MAX_PATH)
        directory[0] = '\0';
    CString path;
    path.Format("%s/devconfig.txt", directory);
    return path;
}

}  // namespace

DeviceConfig& TheDeviceConfig() { return g_deviceConfig; }

int ReadConfigValue(CString key, int defaultValue, CString path)
{
    int result = defaultValue;
    try {
        key.MakeLower();
        CStdioFile file;
        if (!file.Open(path, CStdioFile::modeRead | CStdioFile::typeText))
            return result;
        CString line;
        while (file.ReadString(line)) {
            int32_t value = 0;
            if (MatchConfigLine({line.GetString(), static_cast<size_t>(line.GetLength())},
                                {key.GetString(), static_cast<size_t>(key.GetLength())}, &value)) {
                result = value;
                break;
            }
        }
    } catch (CException* e) {
        e->Delete();
    } catch (...) {
        // std::bad_alloc from the line matcher: keep what was found so far
    }
    return result;
}

void LoadDeviceConfig()
{
    const CString path = DeviceConfigPath();
    DeviceConfig& config = g_deviceConfig;
    config.fullscreen = ReadConfigValue("fullscreen", 1, path);
    config.bitDepth = ReadConfigValue("bitDepth", 16, path);
    config.effect = ReadConfigValue("effect", 1, path);
    config.ddriver = ReadConfigValue("ddriver", 0, path);
    config.sound = ReadConfigValue("sound", 1, path);
    config.music = ReadConfigValue("music", 1, path);
    config.render = ReadConfigValue("render", 0, path);
    config.width = ReadConfigValue("width", 800, path);
    config.height = ReadConfigValue("height", 600, path);
    config.fps = ReadConfigValue("fps", 1, path);
    config.opencount = ReadConfigValue("opencount", 0, path);
    config.shownext = ReadConfigValue("shownext", 1, path);
}
