// The message record GetSpeakInfo hands to the help library's game archive. It is kept
// across calls, so that the archive's string code reuses or releases the blocks it
// allocated with its own allocator: the plug-in frees only blocks of its own.
#pragma once

#include "app/ComponentInterfaces.h"
#include "framework/CCriticalSection.h"

class SpeakRecord {
public:
    SpeakRecord() = default;
    ~SpeakRecord();
    SpeakRecord(const SpeakRecord&) = delete;
    SpeakRecord& operator=(const SpeakRecord&) = delete;

    // Asks the archive's third method for a message and writes its text into pszBuffer.
    // Calls from several threads take turns on the one record. False, with an empty
    // text, when the archive raised an exception: the record then lets go of whatever
    // text it held, unfreed, and the next call starts afresh.
    bool Fetch(CGameZip* pGameZip, int32_t nFirst, int32_t nSecond, char* pszBuffer);

private:
    // Number and kind 0 and an empty text that the archive may assign and release.
    void Prepare();
    // Takes stock of what the archive left in the record.
    void Settle();

    CCriticalSection m_lock;
    SpeakMessage m_message = {0, 0, CString()};
    // The text of the empty block this record allocated, while the record still holds it.
    const char* m_pOwnText = nullptr;
};

// Writes the loudspeaker prefix (kind 2) and the text into pszBuffer.
void FormatSpeakText(const SpeakMessage& message, char* pszBuffer);
