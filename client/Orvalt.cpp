// Orvalt.dll, the help library: its game archive object fills loudspeaker messages from
// the message data file beside the client executable, with the string code of a
// framework-built module. Loudspeaker texts are assigned as texts; system bulletins are
// string objects the archive keeps and shares; a message it does not have leaves the
// record with the archive's own empty string.
#include "client/CallLog.h"
#include "client/ComponentViews.h"
#include "client/MessageData.h"

#include <string>
#include <vector>

namespace {

const int32_t kKindBulletin = 1;

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

    // nFirst picks the message; an unknown one gives kind 0 and the empty string.
    int __thiscall GetMessageInfo(int32_t nRequest, int32_t nSecond, int32_t nFirst,
                                  SpeakMessage* pMessage, int32_t nFlags) override
    {
        LogCall("Orvalt: GetMessageInfo %ld %ld %ld %ld", static_cast<long>(nRequest),
                static_cast<long>(nSecond), static_cast<long>(nFirst), static_cast<long>(nFlags));
        if (!pMessage)
            return -1;
        Load();
        if (nFirst < 0 || static_cast<size_t>(nFirst) >= m_messages.size()) {
            pMessage->nKind = 0;
            pMessage->strText.Empty();
            return -1;
        }
        const MessageEntry& entry = m_messages[nFirst];
        pMessage->nNumber = entry.nNumber;
        pMessage->nKind = entry.nKind;
        if (entry.nKind == kKindBulletin)
            pMessage->strText = m_kept[nFirst];
        else
            pMessage->strText = entry.text.c_str();
        return 0;
    }

    // The characters of the string kept for a message, or null.
    const char* KeptText(int nIndex)
    {
        Load();
        if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_kept.size())
            return nullptr;
        return m_kept[nIndex].GetString();
    }

private:
    void Load()
    {
        if (m_bLoaded)
            return;
        m_bLoaded = true;
        m_messages = ReadMessageData((ClientFolder() + "ZRKMsgData.bin").c_str());
        m_kept.resize(m_messages.size());
        for (size_t i = 0; i < m_messages.size(); ++i)
            if (m_messages[i].nKind == kKindBulletin)
                m_kept[i] = m_messages[i].text.c_str();
    }

    bool m_bLoaded = false;
    std::vector<MessageEntry> m_messages;
    std::vector<PeerString> m_kept;  // the bulletins' strings, empty for other messages
};

GameZip g_gameZip;

}  // namespace

extern "C" {

int __cdecl GetHelpVersion() { return 1; }

#ifndef ORVALT_NO_ENTRY
CGameZip* __cdecl GetGameZipPtr()
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

// For the tests: what the string allocator has seen, and the block a message shares.
void __cdecl GetStringStats(PeerStringStats* pStats)
{
    if (pStats)
        *pStats = GetPeerStringStats();
}

const char* __cdecl GetKeptText(int nIndex) { return g_gameZip.KeptText(nIndex); }

BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID)
{
    LogLibraryEvent("Orvalt", dwReason);
    return TRUE;
}

}  // extern "C"
