// The message data file ZRKMsgData.bin: a first line "ZRKMSG 1", then one message per
// line, "number<TAB>kind<TAB>text", the text in GBK. The build makes it from msgdata.txt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MessageEntry {
    int32_t nNumber;
    int32_t nKind;
    std::string text;
};

const size_t kMaxMessageText = 1024;

// The messages of the file, or none when it cannot be read or lacks the first line.
// Malformed lines are skipped; texts longer than kMaxMessageText are cut there.
std::vector<MessageEntry> ReadMessageData(const char* pszPath);
std::vector<MessageEntry> ParseMessageData(const std::string& bytes);
