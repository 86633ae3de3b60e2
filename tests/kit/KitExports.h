/* The exports as a table of pointers, however a kit client found them, and the
   run that calls each once and prints what it returned. */
#ifndef KIT_EXPORTS_H
#define KIT_EXPORTS_H

#include <ZRKTempDll.h>

typedef struct KitExports {
    void(__cdecl* transferPointer)(int32_t, void**);
    void(__cdecl* createRPopupMenu)(HWND);
    void(__cdecl* onRButton)(int32_t, int32_t);
    HRESULT(__cdecl* getSpeakInfo)(int32_t, int32_t, char**);
    DeviceConfig*(__cdecl* loadConfig)(void);
} KitExports;

/* Calls each export once (no window: the menu module shows no menu), printing a line
   per export. */
void RunKitExports(const KitExports* exports);

#endif /* KIT_EXPORTS_H */
