// The start-up helpers shared by the DLL and EXE entry points of MSVC-ABI images.
#pragma once

#include <stddef.h>

extern "C" void __cdecl abort();
extern "C" void* __cdecl malloc(size_t size);
extern "C" void __cdecl free(void* block);

void RunStaticConstructors();
void RunExitFunctions();
