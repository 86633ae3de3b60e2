// Orvalt.dll, the help library: its game archive object fills loudspeaker messages from
// the message data file beside the client executable.
#include "client/CallLog.h"
#include "client/ComponentViews.h"
#include "client/MessageData.h"

#include <string>

namespace {

std::string ClientFolder()
{
    char path[MAX_PATH] = {};
    DWORD nLength = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return std::string();
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

class GameZip final : public CGameZip {
public:
    int __thiscall Open(const char*) override { return 0; }
    int __thiscall Close() override { return 0; }

    // nFirst picks the message; an unknown one gives kind 0 and an empty text.
    int __thiscall GetMessageInfo(int32_t nRequest, int32_t nSecond, int32_t nFirst,
                                  SpeakMessage* pMessage, int32_t nFlags) override
    {
        LogCall("Orvalt: GetMessageInfo %ld %ld %ld %ld", static_cast<long>(nRequest),
                static_cast<long>(nSecond), static_cast<long>(nFirst), static_cast<long>(nFlags));
        if (!pMessage)
            return -1;
        if (!m_bLoaded) {
            m_messages = ReadMessageData((ClientFolder() + "ZRKMsgData.bin").c_str());
            m_bLoaded = true;
        }
        if (nFirst < 0 || static_cast<size_t>(nFirst) >= m_messages.size()) {
            pMessage->nKind = 0;
            pMessage->strText.Empty();
            return -1;
        }
        const MessageEntry& entry = m_messages[nFirst];
        pMessage->nNumber = entry.nNumber;
        pMessage->nKind = entry.nKind;
        pMessage->strText = entry.text.c_str();
        return 0;
    }

private:
    bool m_bLoaded = false;
    std::vector<MessageEntry> m_messages;
};

GameZip g_gameZip;

}  // namespace

extern "C" int __cdecl GetHelpVersion() { return 1; }

#ifndef ORVALT_NO_ENTRY
extern "C" CGameZip* __cdecl GetGameZipPtr()
{
#ifdef ORVALT_NULL_ARCHIVE
    LogCall("Orvalt: GetGameZipPtr -> null");
    return nullptr;
#else
    LogCall("Orvalt: GetGameZipPtr");
    return &g_gameZip;
#endif
}
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID)
{
    LogLibraryEvent("Orvalt", dwReason);
    return TRUE;
}
