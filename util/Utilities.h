// Free helpers the plug-in carries for its users: file and version queries, the local
// address, field splitting, the letter encoding of bytes.
#pragma once

#include "framework/CString.h"
#include "util/LetterCodec.h"

#include <windows.h>
#include <unknwn.h>

// 1 when FindFirstFileA finds a match (wildcards allowed), else 0.
int FileExists(CString path);

// The host's address in dotted form, or empty when the look-up fails. Windows Sockets
// must be started by the caller. *address receives the chosen value (network order).
CString GetLocalIpAddress(unsigned long* address = nullptr);

// The index-th field (from 1) of text split by separator.
CString GetField(CString text, CString separator, int index);

// The file version packed as a decimal-coded number; 0xFFFFFFFF without a version record.
DWORD GetFileVersionNumber(CString path);
WORD GetFileBuildNumber(CString path);
CString GetFileVersionText(CString path);

// The integer that the object's method at table position 10 reports; 0 for null.
int GetObjectValue(IUnknown* object);
