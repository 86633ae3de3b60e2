#include "client/MessageData.h"

#include "client/OwnedHandle.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>

namespace {

const char kMagic[] = "ZRKMSG 1";

bool ParseNumber(const std::string& field, int32_t& value)
{
    if (field.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long parsed = strtol(field.c_str(), &end, 10);
    if (errno || *end || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

bool ParseLine(const std::string& line, MessageEntry& entry)
{
    size_t tab1 = line.find('\t');
    size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos)
        return false;
    if (!ParseNumber(line.substr(0, tab1), entry.nNumber) ||
        !ParseNumber(line.substr(tab1 + 1, tab2 - tab1 - 1), entry.nKind))
        return false;
    entry.text = line.substr(tab2 + 1, kMaxMessageText);
    return true;
}

}  // namespace

std::vector<MessageEntry> ParseMessageData(const std::string& bytes)
{
    std::vector<MessageEntry> entries;
    size_t start = 0;
    bool first = true;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        start = end + 1;
        if (first) {
            if (line != kMagic)
                return entries;
            first = false;
            continue;
        }
        MessageEntry entry;
        if (ParseLine(line, entry))
            entries.push_back(entry);
    }
    return entries;
}

std::vector<MessageEntry> ReadMessageData(const char* pszPath)
{
    std::string bytes;
    OwnedHandle file(CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {};
    char chunk[4096];
    DWORD got = 0;
    while (bytes.size() < (1u << 20) && ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return ParseMessageData(bytes);
}
