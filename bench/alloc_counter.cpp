#include "alloc_counter.h"

#include <atomic>
#include <cstddef>

// Counts every heap allocation of the process, C++ and C alike (cairo, Pango,
// zint), by putting the C allocator's entry points in front of glibc's.
// operator new reaches malloc and is counted there.
namespace {
std::atomic<std::size_t> allocations{0};

void count() noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

std::size_t heapAllocations() noexcept
{
    return allocations.load(std::memory_order_relaxed);
}

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t n, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

void* malloc(std::size_t size)
{
    count();
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size)
{
    count();
    return __libc_calloc(n, size);
}
// A realloc may move the block: counted as an allocation.
void* realloc(void* p, std::size_t size)
{
    count();
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size)
{
    count();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    count();
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) return 12; // ENOMEM
    *out = p;
    return 0;
}
}
