/*
 * A lazy import table of the loader tests' own, used by one test only, so its
 * first call is the first call in the process.
 */
#include "internal/ldrlazy.inc"

RTLDR_LAZY_LIBRARY  TESTVERSION, "VERSION.DLL"
RTLDR_LAZY_FUNCTION TESTVERSION, GetFileVersionInfoSizeW, 8
RTLDR_LAZY_FUNCTION TESTVERSION, GetFileVersionInfoW, 16
RTLDR_LAZY_END      TESTVERSION

/*
 * uint32_t rtTestCallStdcall(void *pfn, const uint32_t *pau32Args, uint32_t cArgs, int32_t *pcbStackDelta)
 *
 * Calls the stdcall function pfn with the cArgs arguments and returns its
 * result. *pcbStackDelta receives how far the stack pointer after the call is
 * from where it was before the arguments were pushed: 0 when the call left the
 * stack as stdcall promises. The stack is put right afterwards either way.
 */
    .text
    .globl _rtTestCallStdcall
_rtTestCallStdcall:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %edi
1:
    testl %ecx, %ecx
    jz 2f
    pushl -4(%esi,%ecx,4)
    decl %ecx
    jmp 1b
2:
    call *8(%ebp)
    movl %esp, %ecx
    subl %edi, %ecx
    movl 20(%ebp), %edx
    movl %ecx, (%edx)
    movl %edi, %esp
    popl %edi
    popl %esi
    popl %ebp
    ret
