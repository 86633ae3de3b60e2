// The stack pointer, compared around a call as the Microsoft compiler's run-time checks
// do: on x86 a callee that pops more or less than its convention says moves it. On x64
// the caller alone adjusts the stack, so the check always holds there.
#pragma once

#include <stdint.h>

inline uintptr_t StackPointer()
{
    uintptr_t sp;
#if defined(_M_IX86) || defined(__i386__)
    __asm__ volatile("movl %%esp, %0" : "=r"(sp));
#else
    __asm__ volatile("movq %%rsp, %0" : "=r"(sp));
#endif
    return sp;
}
