#include "client/MessageData.h"

#include "client/OwnedHandle.h"

#include <windows.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kMagic[] = "ZRKMSG 1";
const size_t kMaxFileBytes = 1u << 20;

bool ParseNumber(const char* pField, size_t nLength, int32_t& value)
{
    char text[16];
    if (nLength == 0 || nLength >= sizeof text)
        return false;
    memcpy(text, pField, nLength);
    text[nLength] = '\0';
    char* end = nullptr;
    errno = 0;
    long parsed = strtol(text, &end, 10);
    if (errno || *end || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

bool ParseLine(const char* pLine, size_t nLength, MessageEntry& entry)
{
    const char* pEnd = pLine + nLength;
    const char* pTab1 = static_cast<const char*>(memchr(pLine, '\t', nLength));
    const char* pTab2 = pTab1 ? static_cast<const char*>(memchr(pTab1 + 1, '\t', pEnd - pTab1 - 1)) : nullptr;
    if (!pTab2)
        return false;
    if (!ParseNumber(pLine, pTab1 - pLine, entry.nNumber) ||
        !ParseNumber(pTab1 + 1, pTab2 - pTab1 - 1, entry.nKind))
        return false;
    size_t nText = pEnd - pTab2 - 1;
    if (nText > kMaxMessageText)
        nText = kMaxMessageText;
    memcpy(entry.text, pTab2 + 1, nText);
    entry.text[nText] = '\0';
    return true;
}

}  // namespace

MessageList::~MessageList() { Clear(); }

void MessageList::Clear()
{
    free(m_pEntries);
    m_pEntries = nullptr;
    m_nCount = m_nCapacity = 0;
}

bool MessageList::Append(const MessageEntry& entry)
{
    if (m_nCount == m_nCapacity) {
        size_t nCapacity = m_nCapacity ? m_nCapacity * 2 : 16;
        auto* pEntries = static_cast<MessageEntry*>(realloc(m_pEntries, nCapacity * sizeof(MessageEntry)));
        if (!pEntries)
            return false;
        m_pEntries = pEntries;
        m_nCapacity = nCapacity;
    }
    m_pEntries[m_nCount++] = entry;
    return true;
}

void MessageList::Parse(const char* pBytes, size_t nBytes)
{
    Clear();
    size_t start = 0;
    bool first = true;
    MessageEntry entry;
    while (start < nBytes) {
        const char* pLine = pBytes + start;
        const char* pNewline = static_cast<const char*>(memchr(pLine, '\n', nBytes - start));
        size_t nLength = pNewline ? pNewline - pLine : nBytes - start;
        start += nLength + 1;
        if (nLength > 0 && pLine[nLength - 1] == '\r')
            --nLength;
        if (first) {
            if (nLength != sizeof kMagic - 1 || memcmp(pLine, kMagic, nLength) != 0)
                return;
            first = false;
            continue;
        }
        if (ParseLine(pLine, nLength, entry) && !Append(entry))
            return;
    }
}

void MessageList::Read(const char* pszPath)
{
    Clear();
    OwnedHandle file(CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    char* pBytes = static_cast<char*>(malloc(kMaxFileBytes));
    if (!pBytes)
        return;
    DWORD nBytes = 0;
    DWORD got = 0;
    while (nBytes < kMaxFileBytes &&
           ReadFile(file.Get(), pBytes + nBytes, kMaxFileBytes - nBytes, &got, nullptr) && got > 0)
        nBytes += got;
    Parse(pBytes, nBytes);
    free(pBytes);
}
