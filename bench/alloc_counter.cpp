#include "alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Counts every allocation of the process by replacing the global operator new.
namespace {
std::atomic<std::size_t> allocations{0};
}

std::size_t heapAllocations() noexcept {
    return allocations.load(std::memory_order_relaxed);
}

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
