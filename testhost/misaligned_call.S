/* Calls a C (cdecl) function the way the editor may: with a stack that is only 4-byte aligned.
 *   uint32_t CallMisaligned(const void* fn, const uint32_t* args, int count)
 * copies the 32-bit arguments and calls fn with esp = 4 (mod 16) at the call instruction.
 *   uint32_t StackAtCall(void)
 * returns the value esp had in its caller just before the call (for checking the above). */
        .text
        .globl  _CallMisaligned
        .def    _CallMisaligned; .scl 2; .type 32; .endef
_CallMisaligned:
        pushl   %ebp
        movl    %esp, %ebp
        pushl   %esi
        pushl   %edi
        pushl   %ebx
        movl    8(%ebp), %eax
        movl    12(%ebp), %esi
        movl    16(%ebp), %ecx
        leal    0(,%ecx,4), %edx
        movl    %esp, %edi
        subl    $64, %edi
        subl    %edx, %edi
        andl    $-16, %edi
        addl    $4, %edi
        movl    %edi, %esp
        xorl    %ebx, %ebx
1:      cmpl    %ecx, %ebx
        jge     2f
        movl    (%esi,%ebx,4), %edx
        movl    %edx, (%esp,%ebx,4)
        incl    %ebx
        jmp     1b
2:      call    *%eax
        leal    -12(%ebp), %esp
        popl    %ebx
        popl    %edi
        popl    %esi
        popl    %ebp
        ret

        .globl  _StackAtCall
        .def    _StackAtCall; .scl 2; .type 32; .endef
_StackAtCall:
        leal    4(%esp), %eax
        ret
