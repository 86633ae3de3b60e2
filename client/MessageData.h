// The message data file ZRKMsgData.bin: a first line "ZRKMSG 1", then one message per
// line, "number<TAB>kind<TAB>text", the text in GBK. The build makes it from msgdata.txt.
#pragma once

#include <stddef.h>
#include <stdint.h>

const size_t kMaxMessageText = 1024;

struct MessageEntry {
    int32_t nNumber;
    int32_t nKind;
    char text[kMaxMessageText + 1];
};

// The messages of one file, on the C runtime's heap.
class MessageList {
public:
    MessageList() = default;
    ~MessageList();
    MessageList(const MessageList&) = delete;
    MessageList& operator=(const MessageList&) = delete;

    // Replaces the list with the file's messages: none when it cannot be read or lacks
    // the first line. Malformed lines are skipped; longer texts are cut at kMaxMessageText.
    void Read(const char* pszPath);
    void Parse(const char* pBytes, size_t nBytes);

    size_t Count() const { return m_nCount; }
    const MessageEntry& operator[](size_t nIndex) const { return m_pEntries[nIndex]; }

private:
    void Clear();
    bool Append(const MessageEntry& entry);

    MessageEntry* m_pEntries = nullptr;
    size_t m_nCount = 0;
    size_t m_nCapacity = 0;
};
