#include "app/OutsideCall.h"

#include <windows.h>
#include <excpt.h>

namespace {

// The codes of GCC's own exceptions on 64-bit Windows: they belong to the plug-in.
bool IsOwnException(DWORD code)
{
    return (code & 0x00FFFFFF) == 0x00474343 && (code >> 24) >= 0x20 && (code >> 24) <= 0x22;
}

bool IsUnwinding(const EXCEPTION_RECORD* record)
{
    return (record->ExceptionFlags & EXCEPTION_UNWIND) != 0;
}

}  // namespace

#if defined(__i386__)

// On x86 a frame is a record in the thread's handler chain (fs:[0]): the next record,
// the handler, and here where to resume (a __builtin_setjmp buffer).
namespace {

struct GuardFrame {
    GuardFrame* next;
    void* handler;
    void* resume[5];
};

GuardFrame* ChainHead()
{
    GuardFrame* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void SetChainHead(GuardFrame* head)
{
    __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

// Unwinds the component's frames (RtlUnwind returns once the chain's head is this frame
// again) and resumes in CallGuarded.
extern "C" EXCEPTION_DISPOSITION __cdecl OutsideCallHandler(EXCEPTION_RECORD* record, void* frame,
                                                            CONTEXT*, void*)
{
    if (IsUnwinding(record) || IsOwnException(record->ExceptionCode))
        return ExceptionContinueSearch;
    RtlUnwind(frame, nullptr, record, nullptr);
    __builtin_longjmp(static_cast<GuardFrame*>(frame)->resume, 1);
}

}  // namespace

bool CallGuarded(void (*function)(void*), void* context)
{
    GuardFrame frame;
    frame.next = ChainHead();
    frame.handler = reinterpret_cast<void*>(OutsideCallHandler);
    if (__builtin_setjmp(frame.resume)) {
        SetChainHead(frame.next);
        return false;
    }
    SetChainHead(&frame);
    function(context);
    SetChainHead(frame.next);
    return true;
}

#elif defined(__x86_64__)

// On x64 a frame's handler is named by the function's unwind information, so the frame
// is a function of its own: OutsideCallFrame(function, context) calls function(context)
// and answers 1; its handler unwinds to OutsideCallLanding, which answers 0.
extern "C" int OutsideCallFrame(void (*function)(void*), void* context);
extern "C" void OutsideCallLanding();

extern "C" EXCEPTION_DISPOSITION OutsideCallHandler(EXCEPTION_RECORD* record, void* frame,
                                                    CONTEXT* context, DISPATCHER_CONTEXT* dispatch)
{
    if (IsUnwinding(record) || IsOwnException(record->ExceptionCode))
        return ExceptionContinueSearch;
    RtlUnwindEx(frame, reinterpret_cast<void*>(OutsideCallLanding), record, nullptr, context,
                dispatch->HistoryTable);
    return ExceptionContinueSearch;
}

__asm__(R"(
    .text
    .globl OutsideCallFrame
    .def OutsideCallFrame; .scl 2; .type 32; .endef
    .seh_proc OutsideCallFrame
OutsideCallFrame:
    pushq %rbp
    .seh_pushreg %rbp
    movq %rsp, %rbp
    .seh_setframe %rbp, 0
    subq $32, %rsp
    .seh_stackalloc 32
    .seh_endprologue
    .seh_handler OutsideCallHandler, @except
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    movl $1, %eax
    jmp 1f
    .globl OutsideCallLanding
OutsideCallLanding:
    xorl %eax, %eax
1:
    movq %rbp, %rsp
    popq %rbp
    retq
    .seh_endproc
)");

bool CallGuarded(void (*function)(void*), void* context)
{
    return OutsideCallFrame(function, context) != 0;
}

#endif
