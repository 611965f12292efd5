#pragma once

#include <cstddef>

// The number of heap allocations made by this process so far.
std::size_t heapAllocations() noexcept;
