// The game folder's files as client/game_files.txt lists them, one path a line from the
// Bin folder ("../" for its parent), '#' starting a comment line. The one reader of the
// list for tests and benchmarks; the scripts read it with their own tools.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

inline constexpr char kGameFileListName[] = "game_files.txt";
inline constexpr char kParentPrefix[] = "..\\";

// The listed paths with backslashes, in the list's order.
inline std::vector<std::string> GameFilePaths(const std::string& listText)
{
    std::vector<std::string> paths;
    size_t start = 0;
    while (start < listText.size()) {
        size_t end = std::min(listText.find('\n', start), listText.size());
        std::string path = listText.substr(start, end - start);
        start = end + 1;
        if (!path.empty() && path.back() == '\r')
            path.pop_back();
        if (path.empty() || path[0] == '#')
            continue;
        std::replace(path.begin(), path.end(), '/', '\\');
        paths.push_back(path);
    }
    return paths;
}

// The file's name: the path without its folders.
inline std::string GameFileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// Whether the path leads to the Bin folder's parent.
inline bool IsInParentFolder(const std::string& path) { return path.compare(0, 3, kParentPrefix) == 0; }
