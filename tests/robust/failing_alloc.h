// A test seam linked into test-only builds of the plug-ins (and natively into a test program):
// every heap allocation of the module and every allocation of libjpeg's memory manager goes
// through counting wrappers (ld --wrap), and the Nth one can be made to fail. The wrappers also
// count the libjpeg entry points the plug-ins call, and the calls made while the module's
// libraryUsable flag is clear, which must never happen.
#pragma once

#include <stdint.h>

#ifdef _WIN32
#define FAILING_ALLOC_API __declspec(dllexport)
#define FAILING_ALLOC_CALL __cdecl
#else
#define FAILING_ALLOC_API
#define FAILING_ALLOC_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum FailingAllocKind {
  kFailedNothing = 0,
  kFailedOwn = 1,      // malloc, calloc or realloc called by the module's own code
  kFailedLibrary = 2,  // jpeg_get_small or jpeg_get_large, libjpeg's memory manager
};

// What the wrappers saw since the last FailingAllocArm.
struct FailingAllocProbe {
  int32_t allocations;              // allocations counted (own and library)
  int32_t failedKind;               // a FailingAllocKind: what the failing allocation was
  int32_t liveOwn;                  // blocks made since arming and not yet freed
  int32_t liveLibrary;
  int32_t libraryCalls;             // calls of the wrapped libjpeg entry points
  int32_t libraryCallsWhileUnusable;  // ... made while libraryUsable was clear
  int32_t libraryUsable;            // the module's flag now
};

// Starts counting afresh; allocation number failAt (from 1) returns null, 0 fails none.
FAILING_ALLOC_API void FAILING_ALLOC_CALL FailingAllocArm(int32_t failAt);
FAILING_ALLOC_API void FAILING_ALLOC_CALL FailingAllocRead(struct FailingAllocProbe* probe);
// The flag whose state the probe reports and the libjpeg calls are checked against. The DLLs
// watch their own flag from the start; a native test program that links both readers and
// encoders chooses.
FAILING_ALLOC_API void FAILING_ALLOC_CALL FailingAllocWatch(const volatile int32_t* flag);
// Frees the library blocks still tracked: what a failed module abandons by design. Lets a native
// test reuse its process (and keep the leak checker on) as if the module had been reloaded.
FAILING_ALLOC_API void FAILING_ALLOC_CALL FailingAllocReleaseAbandoned(void);

// The signatures as the tests take them from a DLL with GetProcAddress.
typedef void(FAILING_ALLOC_CALL* FailingAllocArmFn)(int32_t);
typedef void(FAILING_ALLOC_CALL* FailingAllocReadFn)(struct FailingAllocProbe*);

#ifdef __cplusplus
}
#endif
