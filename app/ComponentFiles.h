// The files start-up loads, each by its path relative to the client's folder: the core
// components beside the executable, the menu module and the help library in the folder
// above it. The doctor checks the same files from this list.
#pragma once

namespace ComponentFiles {

inline constexpr char kCoreHost[] = "Vantri.dll";
inline constexpr char kModules[] = "ZRKModules.dll";
inline constexpr char kEncoder[] = "ZRKEncoder.dll";
inline constexpr char kMessageData[] = "ZRKMsgData.bin";
inline constexpr char kMenuModule[] = "..\\Tessaru.dll";
inline constexpr char kHelpLibrary[] = "..\\Orvalt.dll";

// The file's name without the folder part of its path.
constexpr const char* NameOf(const char* pszPath)
{
    const char* pszName = pszPath;
    for (const char* p = pszPath; *p; ++p)
        if (*p == '\\')
            pszName = p + 1;
    return pszName;
}

}  // namespace ComponentFiles
