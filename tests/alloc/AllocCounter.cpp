// malloc and friends forwarding to the C library's own entry points, counting each call while counting is
// on. Defined in the executable, they are found before the C library's for every shared library too.
#include "AllocCounter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

// AddressSanitizer brings its own allocator, which these definitions would replace: gcc and clang say so
// in different ways.
#if defined(__SANITIZE_ADDRESS__)
#define TRAMOLO_OWN_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRAMOLO_OWN_ALLOCATOR 1
#endif
#endif

static std::atomic<uint64_t> Count;
static std::atomic<bool> Counting;
// With TRAMOLO_ALLOC_ABORT set, the first counted allocation aborts, so a debugger shows where it came from.
static bool AbortOnAllocation;

#if defined(TRAMOLO_OWN_ALLOCATOR)
bool AllocationCountingAvailable() {
    return false;
}
#else
bool AllocationCountingAvailable() {
    return true;
}
#endif

uint64_t AllocationCount() {
    return Count.load();
}
void ResetAllocationCount() {
    Count.store(0);
}
void SetAllocationCounting(bool on) {
    AbortOnAllocation = std::getenv("TRAMOLO_ALLOC_ABORT") != nullptr;
    Counting.store(on);
}

#if !defined(TRAMOLO_OWN_ALLOCATOR)
static void Note() {
    if (!Counting.load(std::memory_order_relaxed)) return;
    if (AbortOnAllocation) std::abort();
    Count.fetch_add(1, std::memory_order_relaxed);
}

extern "C" {

void* malloc(size_t size) {
    Note();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    Note();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, size_t size) {
    Note();
    return __libc_realloc(pointer, size);
}

void free(void* pointer) {
    __libc_free(pointer);
}

void* memalign(size_t alignment, size_t size) {
    Note();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
    Note();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, size_t alignment, size_t size) {
    Note();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* pointer = __libc_memalign(alignment, size);
    if (pointer == nullptr) return ENOMEM;
    *result = pointer;
    return 0;
}

void* valloc(size_t size) {
    Note();
    return __libc_memalign(4096, size);
}

void* pvalloc(size_t size) {
    Note();
    return __libc_memalign(4096, (size + 4095) & ~(size_t)4095);
}

} // extern "C"
#endif
