// Calls into plug-in code with the stack alignment the editor guarantees (4 bytes), not more.
#pragma once

#include <cstdint>

extern "C" {
// Calls the cdecl function fn with `count` 32-bit arguments and esp = 4 (mod 16) at the call.
uint32_t CallMisaligned(const void* fn, const uint32_t* args, int count);
// The caller's esp just before the call instruction (a probe for CallMisaligned itself).
uint32_t StackAtCall(void);
}

namespace testhost {

template <typename... Args>
uint32_t CallWithMisalignedStack(const void* fn, Args... args) {
  const uint32_t list[] = {static_cast<uint32_t>(args)..., 0};
  return CallMisaligned(fn, list, static_cast<int>(sizeof...(Args)));
}

// A pointer or handle as a 32-bit argument.
template <typename T>
uint32_t Arg(T* p) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

}  // namespace testhost
