// Orvalt.dll, the help library: its game archive object fills loudspeaker messages from
// the message data file beside the client executable, with the string code of a
// framework-built module. Loudspeaker texts are assigned as texts; system bulletins are
// string objects the archive keeps and shares; a message it does not have leaves the
// record with the archive's own empty string.
#include "client/CallLog.h"
#include "client/ComponentViews.h"
#include "client/MessageData.h"

#include <string.h>

namespace {

const int32_t kKindBulletin = 1;

// The path of a file in the client executable's folder; false when it does not fit.
bool ClientFilePath(char (&path)[MAX_PATH], const char* pszName)
{
    DWORD nLength = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return false;
    char* pSlash = strrchr(path, '\\');
    size_t nFolder = pSlash ? pSlash - path + 1 : 0;
    if (nFolder + strlen(pszName) >= MAX_PATH)
        return false;
    strcpy(path + nFolder, pszName);
    return true;
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
        Misbehave();
        Load();
        if (nFirst < 0 || static_cast<size_t>(nFirst) >= m_messages.Count()) {
            pMessage->nKind = 0;
            pMessage->strText.Empty();
            return -1;
        }
        const MessageEntry& entry = m_messages[nFirst];
        pMessage->nNumber = entry.nNumber;
        pMessage->nKind = entry.nKind;
        if (entry.nKind == kKindBulletin)
            pMessage->strText = m_pKept[nFirst];
        else
            pMessage->strText = entry.text;
        return 0;
    }

    // The characters of the string kept for a message, or null.
    const char* KeptText(int nIndex)
    {
        Load();
        if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_messages.Count())
            return nullptr;
        return m_pKept[nIndex].GetString();
    }

private:
    // Variants: ORVALT_FAULTS writes through a null pointer, ORVALT_THROWS throws a C++
    // exception of its compiler out of the call.
    static void Misbehave()
    {
#if defined(ORVALT_FAULTS)
        volatile int* volatile pNowhere = nullptr;
        *pNowhere = 1;
#elif defined(ORVALT_THROWS)
        throw "the archive is damaged";
#endif
    }

    void Load()
    {
        if (m_bLoaded)
            return;
        m_bLoaded = true;
        char path[MAX_PATH];
        if (ClientFilePath(path, "ZRKMsgData.bin"))
            m_messages.Read(path);
        if (m_messages.Count() == 0)
            return;
        m_pKept = new PeerString[m_messages.Count()];
        for (size_t i = 0; i < m_messages.Count(); ++i)
            if (m_messages[i].nKind == kKindBulletin)
                m_pKept[i] = m_messages[i].text;
    }

    bool m_bLoaded = false;
    MessageList m_messages;
    PeerString* m_pKept = nullptr;  // the bulletins' strings, empty for other messages; kept to the end
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
