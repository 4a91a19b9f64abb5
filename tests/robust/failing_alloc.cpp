// Counting, failable allocations and counted libjpeg calls for the allocation-failure tests.
// Linked with -Wl,--wrap=NAME for every wrapper defined here, a list that
// tests/robust/CMakeLists.txt reads from this file: every reference the module's objects and
// the static libjpeg make to a wrapped name lands here, and __real_NAME is the original. One
// module, one thread: plain statics, no locks.
#include "tests/robust/failing_alloc.h"

#include <cstddef>
#include <cstdint>

#include "core/jpeg_lib.h"

#if defined(FAILING_ALLOC_FLAG_CORE)
namespace core {
extern int32_t libraryUsable;
}
#define FAILING_ALLOC_DEFAULT_FLAG (&core::libraryUsable)
#elif defined(FAILING_ALLOC_FLAG_READER)
namespace picreader {
extern int32_t libraryUsable;
}
#define FAILING_ALLOC_DEFAULT_FLAG (&picreader::libraryUsable)
#else
#define FAILING_ALLOC_DEFAULT_FLAG nullptr
#endif

extern "C" {
void* __real_malloc(size_t bytes);
void* __real_calloc(size_t count, size_t bytes);
void* __real_realloc(void* block, size_t bytes);
void __real_free(void* block);
void* __real_jpeg_get_small(j_common_ptr cinfo, size_t bytes);
void* __real_jpeg_get_large(j_common_ptr cinfo, size_t bytes);
}

namespace {

// Live blocks made while armed: an open-addressed set of pointers with their kind.
constexpr size_t kSlots = 1 << 14;
constexpr uintptr_t kEmpty = 0, kGone = 1;
struct Slot {
  uintptr_t block;
  int32_t kind;
};
Slot slots[kSlots];

int32_t failAt = 0;
int32_t allocations = 0;
int32_t failedKind = kFailedNothing;
int32_t libraryCalls = 0;
int32_t libraryCallsWhileUnusable = 0;
int insideLibraryAllocator = 0;  // jpeg_get_small/large call malloc: one allocation, not two
const volatile int32_t* watchedFlag = FAILING_ALLOC_DEFAULT_FLAG;

size_t SlotOf(uintptr_t block) { return (block >> 4) * 2654435761u % kSlots; }

void Track(void* block, int32_t kind) {
  if (block == nullptr) return;
  const uintptr_t b = reinterpret_cast<uintptr_t>(block);
  for (size_t i = SlotOf(b), n = 0; n < kSlots; i = (i + 1) % kSlots, ++n) {
    if (slots[i].block == kEmpty || slots[i].block == kGone) {
      slots[i] = {b, kind};
      return;
    }
  }
}

// Removes a block from the set; false when it was not there (made before arming).
bool Untrack(void* block) {
  if (block == nullptr) return false;
  const uintptr_t b = reinterpret_cast<uintptr_t>(block);
  for (size_t i = SlotOf(b), n = 0; n < kSlots && slots[i].block != kEmpty;
       i = (i + 1) % kSlots, ++n) {
    if (slots[i].block == b) {
      slots[i].block = kGone;
      return true;
    }
  }
  return false;
}

// Counts one allocation; true when it is the one that must fail.
bool CountAndFail(int32_t kind) {
  ++allocations;
  if (failAt != 0 && allocations == failAt) {
    failedKind = kind;
    return true;
  }
  return false;
}

void NoteLibraryCall() {
  ++libraryCalls;
  if (watchedFlag != nullptr && *watchedFlag == 0) ++libraryCallsWhileUnusable;
}

}  // namespace

extern "C" {

void FAILING_ALLOC_CALL FailingAllocArm(int32_t n) {
  for (Slot& s : slots) s = {kEmpty, 0};
  failAt = n;
  allocations = 0;
  failedKind = kFailedNothing;
  libraryCalls = 0;
  libraryCallsWhileUnusable = 0;
}

void FAILING_ALLOC_CALL FailingAllocRead(FailingAllocProbe* probe) {
  *probe = {};
  probe->allocations = allocations;
  probe->failedKind = failedKind;
  for (const Slot& s : slots) {
    if (s.block == kEmpty || s.block == kGone) continue;
    if (s.kind == kFailedOwn) ++probe->liveOwn;
    else ++probe->liveLibrary;
  }
  probe->libraryCalls = libraryCalls;
  probe->libraryCallsWhileUnusable = libraryCallsWhileUnusable;
  probe->libraryUsable = watchedFlag != nullptr ? *watchedFlag : -1;
}

void FAILING_ALLOC_CALL FailingAllocWatch(const volatile int32_t* flag) { watchedFlag = flag; }

void FAILING_ALLOC_CALL FailingAllocReleaseAbandoned(void) {
  for (Slot& s : slots) {
    if (s.block != kEmpty && s.block != kGone && s.kind == kFailedLibrary) {
      __real_free(reinterpret_cast<void*>(s.block));
      s.block = kGone;
    }
  }
}

// The module's own heap.
void* __wrap_malloc(size_t bytes) {
  if (insideLibraryAllocator) return __real_malloc(bytes);
  if (CountAndFail(kFailedOwn)) return nullptr;
  void* block = __real_malloc(bytes);
  Track(block, kFailedOwn);
  return block;
}

void* __wrap_calloc(size_t count, size_t bytes) {
  if (insideLibraryAllocator) return __real_calloc(count, bytes);
  if (CountAndFail(kFailedOwn)) return nullptr;
  void* block = __real_calloc(count, bytes);
  Track(block, kFailedOwn);
  return block;
}

void* __wrap_realloc(void* old, size_t bytes) {
  if (insideLibraryAllocator) return __real_realloc(old, bytes);
  if (CountAndFail(kFailedOwn)) return nullptr;
  const bool tracked = Untrack(old);
  void* block = __real_realloc(old, bytes);
  if (block != nullptr) {
    Track(block, kFailedOwn);
  } else if (tracked) {
    Track(old, kFailedOwn);  // the old block stays
  }
  return block;
}

void __wrap_free(void* block) {
  Untrack(block);
  __real_free(block);
}

// libjpeg's memory manager: every pool and large object it makes comes from these two.
void* __wrap_jpeg_get_small(j_common_ptr cinfo, size_t bytes) {
  if (CountAndFail(kFailedLibrary)) return nullptr;
  ++insideLibraryAllocator;
  void* block = __real_jpeg_get_small(cinfo, bytes);
  --insideLibraryAllocator;
  Track(block, kFailedLibrary);
  return block;
}

void* __wrap_jpeg_get_large(j_common_ptr cinfo, size_t bytes) {
  if (CountAndFail(kFailedLibrary)) return nullptr;
  ++insideLibraryAllocator;
  void* block = __real_jpeg_get_large(cinfo, bytes);
  --insideLibraryAllocator;
  Track(block, kFailedLibrary);
  return block;
}

// The libjpeg entry points the plug-ins call, each counted on its way in. Each COUNTED begins a
// line, where the build finds the names to wrap.
#define COUNTED(ret, name, params, args) \
  ret __real_##name params;              \
  ret __wrap_##name params {             \
    NoteLibraryCall();                   \
    return __real_##name args;           \
  }

COUNTED(jpeg_error_mgr*, jpeg_std_error, (jpeg_error_mgr * err), (err))
COUNTED(void, jpeg_CreateCompress, (j_compress_ptr c, int version, size_t size), (c, version, size))
COUNTED(void, jpeg_set_defaults, (j_compress_ptr c), (c))
COUNTED(void, jpeg_set_quality, (j_compress_ptr c, int quality, boolean baseline),
        (c, quality, baseline))
COUNTED(int, jpeg_quality_scaling, (int quality), (quality))
COUNTED(void, jpeg_add_quant_table,
        (j_compress_ptr c, int slot, const unsigned int* table, int scale, boolean baseline),
        (c, slot, table, scale, baseline))
COUNTED(void, jpeg_simple_progression, (j_compress_ptr c), (c))
COUNTED(void, jpeg_stdio_dest, (j_compress_ptr c, FILE* file), (c, file))
COUNTED(void, jpeg_start_compress, (j_compress_ptr c, boolean allTables), (c, allTables))
COUNTED(JDIMENSION, jpeg_write_scanlines, (j_compress_ptr c, JSAMPARRAY rows, JDIMENSION n),
        (c, rows, n))
COUNTED(void, jpeg_finish_compress, (j_compress_ptr c), (c))
COUNTED(void, jpeg_destroy_compress, (j_compress_ptr c), (c))
COUNTED(void, jpeg_CreateDecompress, (j_decompress_ptr d, int version, size_t size),
        (d, version, size))
COUNTED(void, jpeg_stdio_src, (j_decompress_ptr d, FILE* file), (d, file))
COUNTED(int, jpeg_read_header, (j_decompress_ptr d, boolean requireImage), (d, requireImage))
COUNTED(boolean, jpeg_start_decompress, (j_decompress_ptr d), (d))
COUNTED(JDIMENSION, jpeg_read_scanlines, (j_decompress_ptr d, JSAMPARRAY rows, JDIMENSION n),
        (d, rows, n))
COUNTED(boolean, jpeg_finish_decompress, (j_decompress_ptr d), (d))
COUNTED(void, jpeg_abort_decompress, (j_decompress_ptr d), (d))
COUNTED(void, jpeg_destroy_decompress, (j_decompress_ptr d), (d))

#undef COUNTED

}  // extern "C"
