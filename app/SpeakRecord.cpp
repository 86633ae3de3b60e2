#include "app/SpeakRecord.h"

#include "app/OutsideCall.h"

#include <cstring>
#include <mutex>
#include <string>

// A block the archive allocated is left as it is: its module may already be gone when
// this runs, and the block may lie in one of that module's pools.
SpeakRecord::~SpeakRecord()
{
    if (m_message.m_strText.GetString() != m_pOwnText)
        m_message.m_strText.Abandon();
}

bool SpeakRecord::Fetch(CGameZip* pGameZip, int32_t nFirst, int32_t nSecond, char* pszBuffer)
{
    std::lock_guard<CCriticalSection> guard(m_lock);
    Prepare();
    SpeakMessage* pMessage = &m_message;
    if (!CallOutside([=] { pGameZip->vfptr->GetMessageInfo(pGameZip, 1, nSecond, nFirst, pMessage, 0); })) {
        m_message.m_strText.Abandon();
        m_pOwnText = nullptr;
        pszBuffer[0] = '\0';
        return false;
    }
    Settle();
    // The text is read, never copied as a string object: a copy would share the
    // archive's block and could end up freeing it here.
    FormatSpeakText(m_message, pszBuffer);
    return true;
}

void SpeakRecord::Prepare()
{
    m_message.m_nNumber = 0;
    m_message.m_nKind = 0;
    const char* pBefore = m_message.m_strText.GetString();
    m_message.m_strText.PrepareForPeer();
    if (m_message.m_strText.GetString() != pBefore)
        m_pOwnText = m_message.m_strText.GetString();
}

// A record whose text pointer moved no longer holds the block it allocated: the archive
// released it. A null text, which no framework string has, reads as empty.
void SpeakRecord::Settle()
{
    if (!m_message.m_strText.GetString())
        m_message.m_strText.Abandon();
    if (m_message.m_strText.GetString() != m_pOwnText)
        m_pOwnText = nullptr;
}

void FormatSpeakText(const SpeakMessage& message, char* pszBuffer)
{
    pszBuffer[0] = '\0';
    if (message.m_nKind == kSpeakKindLoudspeaker) {
        strcpy(pszBuffer, "/laba[");
        strcat(pszBuffer, std::to_string(message.m_nNumber).c_str());
        strcat(pszBuffer, "]说: ");
    }
    strcat(pszBuffer, message.m_strText);
}
