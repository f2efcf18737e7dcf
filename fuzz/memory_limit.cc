// The memory rules of a fuzz run.
//
// Every single thing a macro makes is bounded by the program: a text by
// 64 MB (its buffer may be reserved at twice that while it grows), a
// capture by 67 million pixels, the loaded macro by a million lines, the
// caches by 32 MB.  So while a run is armed, one allocation larger than
// kSingleLimit is a fault of the program, not of the macro: it aborts with
// a report, as a finding.  What the program does not bound is the sum of
// many bounded things (a loop that fills variable after variable), so an
// allocation that would take the live heap past kLiveLimit throws
// MemoryBudgetSpent, which the harness counts as a spent budget.  Outside a
// run (libFuzzer's own work) nothing is limited.
//
// new and delete both go to malloc and free, so AddressSanitizer still sees
// matching pairs.
#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "fuzz_world.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VENDRIX_FUZZ_HAS_ASAN 1
#include <sanitizer/allocator_interface.h>
#endif
#endif

namespace {

// Above the largest allocation any bound of the program allows: the list
// of a million loaded lines, a growing 64 MB text, a capture's pixels.
constexpr size_t kSingleLimit = size_t{1} << 30;
constexpr size_t kLiveLimit = size_t{256} << 20;

bool armed = false;
size_t baseline = 0;

#ifdef VENDRIX_FUZZ_HAS_ASAN
// The sanitizer's allocator counts every byte, malloc's too.
size_t LiveBytes() { return __sanitizer_get_current_allocated_bytes(); }
void CountAllocation(void*) {}
void CountRelease(void*) {}
#else
// Without the sanitizer's allocator, count what goes through new and
// delete: nearly all of the program's memory.  Counted always, armed or
// not, so a block freed in a run that was allocated before it balances.
// Atomic: libFuzzer's watchdog thread allocates too.
std::atomic<size_t> live_bytes{0};
size_t LiveBytes() { return live_bytes.load(std::memory_order_relaxed); }
void CountAllocation(void* p) { live_bytes.fetch_add(malloc_usable_size(p), std::memory_order_relaxed); }
void CountRelease(void* p) {
  if (p != nullptr) live_bytes.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
}
#endif

int64_t LiveSinceArmed() { return int64_t(LiveBytes()) - int64_t(baseline); }

[[noreturn]] void UnboundedAllocation(size_t size) {
  std::fprintf(stderr, "fuzz: one allocation of %zu bytes, past every bound of the program\n", size);
  std::abort();
}

void* Allocate(size_t size) {
  if (armed && size > kSingleLimit) UnboundedAllocation(size);
  // Signed: a run may free what was there before it began.
  if (armed && LiveSinceArmed() + int64_t(size) > int64_t(kLiveLimit)) {
    throw vendrix::fuzz::MemoryBudgetSpent();
  }
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  CountAllocation(p);
  return p;
}

void Release(void* p) noexcept {
  CountRelease(p);
  std::free(p);
}

}  // namespace

namespace vendrix::fuzz {

void ArmMemoryLimit() {
  baseline = LiveBytes();
  armed = true;
}

void DisarmMemoryLimit() { armed = false; }

}  // namespace vendrix::fuzz

// AddressSanitizer's defaults for every fuzz target; ASAN_OPTIONS still
// overrides them.  The sanitizer keeps freed memory in quarantine to catch
// a use after free: 256 MB by default, which made a target's memory grow to
// several hundred megabytes whatever the inputs did.  Each input's memory
// is freed when it ends, so 64 MB still holds what one input frees (a
// macro's live heap is limited to that).  Recording each allocation's stack
// took a third of fuzz_macro's time; 10 frames still name the statement.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=64:malloc_context_size=10"; }

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
