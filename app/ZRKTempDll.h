/* ZRKTempDll.dll: the start-up plug-in's interface for a client written in C or C++.
   Every export uses the C calling convention and an undecorated name. Link the import
   library, or load the DLL and look the names up with GetProcAddress. */
#ifndef ZRKTEMPDLL_H
#define ZRKTEMPDLL_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Display and sound settings, read from devconfig.txt in the current directory when the
   library loads. Twelve consecutive 32-bit signed integers, in this order. */
typedef struct DeviceConfig {
    int fullscreen; /* > 0: full screen */
    int width;      /* pixels */
    int height;     /* pixels */
    int ddriver;
    int music;
    int bitDepth;   /* bits per pixel */
    int effect;
    int sound;
    int fps;
    int render;     /* 0 automatic, 1 Direct3D, 2 OpenGL, 3 software; -1 none chosen */
    int opencount;  /* start-ups so far, this one included */
    int shownext;   /* non-zero: show the configuration window at the next start-up */
} DeviceConfig;

typedef char ZRKTempDll_DeviceConfigIs48Bytes[sizeof(DeviceConfig) == 48 ? 1 : -1];

/* Stores the component host's interface pointer (no reference added) into *coreSlot,
   then passes value to the modules object. A null coreSlot is ignored. */
__declspec(dllimport) void __cdecl TransferPointer(int value, void** coreSlot);

/* Makes the right-click menu's object for this window. */
__declspec(dllimport) void __cdecl CreateRPopupMenu(HWND window);

/* Shows the right-click menu made by the last CreateRPopupMenu call. */
__declspec(dllimport) void __cdecl OnRButton(int first, int second);

/* Writes one loudspeaker message as text into the buffer *textOut points to; the buffer
   must hold the prefix (22 bytes at most), the whole text and a terminating zero.
   Returns 0, or E_FAIL when the help library gave no game archive. GBK text. */
__declspec(dllimport) HRESULT __cdecl GetSpeakInfo(int first, int second, char** textOut);

/* The process-wide settings record; the same address on every call. */
__declspec(dllimport) DeviceConfig* __cdecl LoadConfig(void);

#ifdef __cplusplus
}
#endif

#endif /* ZRKTEMPDLL_H */
