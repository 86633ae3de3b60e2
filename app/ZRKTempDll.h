/* ZRKTempDll.dll: the start-up plug-in's interface for a client written in C or C++.
   Every export uses the C calling convention and an undecorated name. Link the import
   library, or load the DLL and look the names up with GetProcAddress. */
#ifndef ZRKTEMPDLL_H
#define ZRKTEMPDLL_H

#include <stdint.h>
#include <windows.h>

/* How the functions are declared: imported from the DLL. The library's own export unit
   defines ZRKTEMPDLL_API empty before including this header. */
#ifndef ZRKTEMPDLL_API
#define ZRKTEMPDLL_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Display and sound settings, read from devconfig.txt in the current directory when the
   library loads. Twelve consecutive int32_t, in this order. */
typedef struct DeviceConfig {
    int32_t fullscreen; /* > 0: full screen */
    int32_t width;      /* pixels */
    int32_t height;     /* pixels */
    int32_t ddriver;
    int32_t music;
    int32_t bitDepth;   /* bits per pixel */
    int32_t effect;
    int32_t sound;
    int32_t fps;
    int32_t render;     /* 0 automatic, 1 Direct3D, 2 OpenGL, 3 software; -1 none chosen */
    int32_t opencount;  /* start-ups so far, this one included */
    int32_t shownext;   /* non-zero: show the configuration window at the next start-up */
} DeviceConfig;

typedef char ZRKTempDll_DeviceConfigIs48Bytes[sizeof(DeviceConfig) == 48 ? 1 : -1];

/* value: passed on unchanged to the modules object (when there is a component host).
   coreSlot: receives the component host's interface pointer, null when there is none;
   no reference is added for the caller. A null coreSlot does nothing.
   Returns nothing. */
ZRKTEMPDLL_API void __cdecl TransferPointer(int32_t value, void** coreSlot);

/* window: the client window the right-click menu belongs to. Each call makes a new menu
   object for it, which OnRButton then uses; without a menu module nothing happens.
   Returns nothing. */
ZRKTEMPDLL_API void __cdecl CreateRPopupMenu(HWND window);

/* first, second: passed on unchanged to the menu module's CreateRMenu, which shows the
   right-click menu of the last CreateRPopupMenu call (a null menu object before the
   first). Without a menu module nothing happens. Returns nothing. */
ZRKTEMPDLL_API void __cdecl OnRButton(int32_t first, int32_t second);

/* first, second: passed on unchanged to the help library's game archive, which picks the
   loudspeaker message.
   textOut: the address of the caller's pointer to a buffer, written without a bound:
   the loudspeaker prefix ("/laba[<number>]", the GBK bytes CB B5, a colon and a space:
   22 bytes at most), the whole text and a terminating zero must fit. GBK text.
   Returns S_OK (0) with the buffer written, or E_FAIL with the buffer untouched when the
   help library gave no game archive, or textOut or *textOut is null. */
ZRKTEMPDLL_API HRESULT __cdecl GetSpeakInfo(int32_t first, int32_t second, char** textOut);

/* Returns the process-wide settings record: the same address on every call, valid while
   the library is loaded. */
ZRKTEMPDLL_API DeviceConfig* __cdecl LoadConfig(void);

#ifdef __cplusplus
}
#endif

#endif /* ZRKTEMPDLL_H */
